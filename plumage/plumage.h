#pragma once
// The branding library: every brand text and picture of Kestrel and Merlin.
// Stable values; the software name follows the program that loaded the
// library so that Kestrel and Merlin can run side by side.
#include <cstdint>
#include <string>
#include <vector>

namespace plumage {

// 32-bit pixels 0xAARRGGBB, rows top to bottom.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// An "icon handle": the large (32x32) and small (16x16) images.
struct Icon {
    Bitmap large;
    Bitmap small;
};

}  // namespace plumage

extern "C++" {
std::string getCompanyName();
std::string getSoftwareName();
std::string getInverterName();
bool getLogo(plumage::Bitmap& logo);
const plumage::Icon* getParIcon();
}
