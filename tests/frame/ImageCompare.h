#pragma once
// Small RGB images for picture tests: read from the window, half-size, PNG in and out,
// and a per-channel comparison by maximum and mean difference.
#include <string>
#include <vector>

namespace QuesselTest {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;  // rows bottom-up, as OpenGL reads them
};

RgbImage readWindow(int width, int height);
RgbImage halfSize(const RgbImage& image);
bool loadPng(const std::string& path, RgbImage& image);
bool savePng(const std::string& path, const RgbImage& image);

struct Difference {
    int maximum = 0;             // largest channel difference
    double mean = 0.0;           // mean channel difference
    double largeFraction = 0.0;  // share of channels differing by more than 32
    RgbImage image;              // the differences, amplified
};
Difference compare(const RgbImage& actual, const RgbImage& expected);

}  // namespace QuesselTest
