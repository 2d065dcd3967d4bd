// Draws the utilities' logo (343 x 97) and writes it as a JPEG with libjpeg.
// Build and run: g++ -O2 tools/make_logo.cpp -ljpeg -o /tmp/make_logo && /tmp/make_logo common/images/Vantor-logo.jpg
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <vector>

namespace {
const int W = 343, H = 97;
// 5 x 7 glyphs, one row a byte, high bit left.
const unsigned char kGlyphs[6][7] = {
    {0x88, 0x88, 0x88, 0x88, 0x88, 0x50, 0x20}, // V
    {0x70, 0x88, 0x88, 0xF8, 0x88, 0x88, 0x88}, // A
    {0x88, 0xC8, 0xA8, 0x98, 0x88, 0x88, 0x88}, // N
    {0xF8, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20}, // T
    {0x70, 0x88, 0x88, 0x88, 0x88, 0x88, 0x70}, // O
    {0xF0, 0x88, 0x88, 0xF0, 0xA0, 0x90, 0x88}, // R
};
} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    std::vector<unsigned char> px(W * H * 3);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            unsigned char* p = &px[(y * W + x) * 3];
            p[0] = 10 + y / 4;
            p[1] = 20 + y / 3;
            p[2] = 60 + (x * 120) / W;
        }
    const int scale = 9, left = 24, top = 16;
    for (int g = 0; g < 6; ++g)
        for (int r = 0; r < 7; ++r)
            for (int c = 0; c < 5; ++c)
                if (kGlyphs[g][r] & (0x80 >> c))
                    for (int dy = 0; dy < scale; ++dy)
                        for (int dx = 0; dx < scale; ++dx) {
                            const int x = left + g * 6 * scale + c * scale + dx;
                            const int y = top + r * scale + dy;
                            if (x < W && y < H) {
                                unsigned char* p = &px[(y * W + x) * 3];
                                p[0] = 240, p[1] = 200, p[2] = 40;
                            }
                        }
    FILE* out = std::fopen(argv[1], "wb");
    if (!out)
        return 1;
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = W;
    info.image_height = H;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 85, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = &px[info.next_scanline * W * 3];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(out);
    return 0;
}
