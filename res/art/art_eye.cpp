// The pictures of the eye-protection page.

#include "res/art/art_kit.h"

namespace art {

std::vector<Picture> EyePictures() {
    return {};
}

}  // namespace art
