#include "tiles/tile_encoder.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include <jpeglib.h>
#include <png.h>

namespace crv::tiles {

namespace {

/// The picture as a JFIF file, progressive when a scan script is given.
std::vector<uint8_t> compress(const map::RgbaImage& picture, int quality,
                              const std::vector<jpeg_scan_info>& scans) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRA;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (!scans.empty()) {
        info.scan_info = scans.data();
        info.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPROW>(reinterpret_cast<const JSAMPLE*>(
            picture.pixels.data() + size_t(info.next_scanline) * picture.width));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

jpeg_scan_info scan(std::initializer_list<int> components, int first, int last) {
    jpeg_scan_info info{};
    for (const int component : components) {
        info.component_index[info.comps_in_scan++] = component;
    }
    info.Ss = first;
    info.Se = last;
    return info;
}

} // namespace

std::vector<uint8_t> encodeJpeg(const map::RgbaImage& picture, int quality) {
    return compress(picture, quality, {});
}

// The luma AC scan goes last, so it runs from its start of scan marker to the end of image
// marker and can be repeated as it stands. A scan that sets coefficients for the first time
// (no successive approximation) may come again without libjpeg finding fault with it.
std::vector<uint8_t> encodeManyScanJpeg(const map::RgbaImage& picture, int scans) {
    std::vector<uint8_t> file = compress(
        picture, 85, {scan({0, 1, 2}, 0, 0), scan({1}, 1, 63), scan({2}, 1, 63), scan({0}, 1, 63)});
    size_t last = file.size() - 2;
    while (last > 0 && !(file[last] == 0xFF && file[last + 1] == 0xDA)) {
        --last;
    }
    const std::vector<uint8_t> lastScan(file.begin() + ptrdiff_t(last), file.end() - 2);
    for (int extra = 4; extra < scans; ++extra) {
        file.insert(file.end() - 2, lastScan.begin(), lastScan.end());
    }
    return file;
}

std::vector<uint8_t> encodePng(const map::RgbaImage& picture) {
    png_image info{};
    info.version = PNG_IMAGE_VERSION;
    info.width = static_cast<png_uint_32>(picture.width);
    info.height = static_cast<png_uint_32>(picture.height);
    info.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    if (png_image_write_get_memory_size(info, size, 0, picture.pixels.data(), 0, nullptr) == 0) {
        return {};
    }
    std::vector<uint8_t> file(size);
    if (png_image_write_to_memory(&info, file.data(), &size, 0, picture.pixels.data(), 0,
                                  nullptr) == 0) {
        return {};
    }
    file.resize(size);
    return file;
}

} // namespace crv::tiles
