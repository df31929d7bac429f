#pragma once
// Writes 8-bit RGB pictures as PNG files (stored, uncompressed deflate blocks).
#include <filesystem>
#include <vector>

namespace w32::detail {

// `rgb` holds width x height pixels as rows of R, G, B bytes. False when the file cannot be
// written or the sizes do not match.
bool gf_writePng(const std::filesystem::path& path, int width, int height, const std::vector<unsigned char>& rgb);

} // namespace w32::detail
