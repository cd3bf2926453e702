#pragma once

#include <optional>
#include <vector>

namespace x11 {

// A child of the root window as far as keeping windows above the others goes.
struct Stacked {
    unsigned long id = 0;
    bool kept = false;     // one of the windows kept above
    bool allowed = false;  // ours, and allowed above the kept ones
    bool covers = false;   // mapped, managed and drawn: it can hide what is below it
};

// Given the root's children from the bottom up: the window the kept ones must be put right above
// (the topmost one of another program that covers), or nothing when they are where they belong
// already. They belong right above it: no window that covers, allowed ones included, between it
// and them, so that a window we allow comes out above them.
std::optional<unsigned long> SiblingToGoAbove(const std::vector<Stacked>& stack);

}  // namespace x11
