// The pictures of the drink achievements page.

#include "res/art/art_kit.h"

namespace art {

std::vector<Picture> AchievementPictures() {
    return {};
}

}  // namespace art
