#include "tiles/tile_encoder.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <png.h>

namespace crv::tiles {

std::vector<uint8_t> encodeJpeg(const map::RgbaImage& picture, int quality) {
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
