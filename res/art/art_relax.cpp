// The pictures of the relax settings page, relax prompt and relax lock.

#include "res/art/art_kit.h"

namespace art {

std::vector<Picture> RelaxPictures() {
    return {};
}

}  // namespace art
