// The pictures of the drink settings page, drink-now panel and drink reminder.

#include "res/art/art_kit.h"

namespace art {

std::vector<Picture> DrinkPictures() {
    return {};
}

}  // namespace art
