// Pictures of windows: copied from the window's own device context, or from
// the screen where the window stands; written as PNG (or BMP) files and read
// back. Shared by the driver and the programs that take pictures of their
// own windows for it.
//
// Under Wine a program's top-level windows each draw into a surface the
// program keeps: a copy from the window's own device context, made in that
// program, reads that surface, which no other program's window can cover.
// (Wine's PrintWindow draws neither the frame nor the child windows.)
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace picture {

// Pixels top row first, three bytes each in red, green, blue order.
struct Image {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    const unsigned char *at(int x, int y) const { return &rgb[((size_t)y * w + x) * 3]; }
};

inline void put32(std::string &out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += (char)(v >> shift);
}

inline uint32_t crc32(const std::string &data, size_t from) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < data.size(); ++i) {
        crc ^= (unsigned char)data[i];
        for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

inline void chunk(std::string &png, const char *type, const std::string &data) {
    put32(png, (uint32_t)data.size());
    size_t start = png.size();
    png += type;
    png += data;
    put32(png, crc32(png, start));
}

// An image as a PNG file, its pixel rows in stored deflate blocks.
inline std::string png_file(const Image &image) {
    std::string png("\x89PNG\r\n\x1a\n", 8), header, raw, z("\x78\x01", 2);
    put32(header, (uint32_t)image.w);
    put32(header, (uint32_t)image.h);
    header += std::string("\x08\x02\x00\x00\x00", 5);
    chunk(png, "IHDR", header);
    for (int y = 0; y < image.h; ++y) {
        raw += '\0';
        raw.append((const char *)image.at(0, y), (size_t)image.w * 3);
    }
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        size_t n = std::min<size_t>(65535, raw.size() - at);
        z += (char)(at + n >= raw.size() ? 1 : 0);
        z += (char)(n & 0xFF);
        z += (char)(n >> 8);
        z += (char)(~n & 0xFF);
        z += (char)((~n >> 8) & 0xFF);
        z.append(raw, at, n);
        if (n == 0) break;
    }
    put32(z, (b << 16) | a);
    chunk(png, "IDAT", z);
    chunk(png, "IEND", std::string());
    return png;
}

inline uint32_t get32(const std::string &s, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = v << 8 | (unsigned char)s[at + i];
    return v;
}

// Reads back a PNG file as png_file writes them (stored blocks, no filter);
// false for any other file.
inline bool read_png(const std::string &path, Image *image) {
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return false;
    std::string png;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) png.append(buffer, n);
    fclose(file);
    if (png.size() < 33 || png.compare(0, 8, std::string("\x89PNG\r\n\x1a\n", 8)) || png.compare(12, 4, "IHDR")) {
        return false;
    }
    image->w = (int)get32(png, 16);
    image->h = (int)get32(png, 20);
    std::string z;
    for (size_t at = 8; at + 12 <= png.size();) {
        uint32_t length = get32(png, at);
        if (at + 12 + length > png.size()) return false;
        if (!png.compare(at + 4, 4, "IDAT")) z.append(png, at + 8, length);
        at += 12 + length;
    }
    std::string raw;
    for (size_t at = 2; at + 5 <= z.size();) {
        bool last = z[at] & 1;
        size_t length = (unsigned char)z[at + 1] | (size_t)(unsigned char)z[at + 2] << 8;
        if (at + 5 + length > z.size()) return false;
        raw.append(z, at + 5, length);
        at += 5 + length;
        if (last) break;
    }
    size_t row = (size_t)image->w * 3 + 1;
    if (raw.size() != row * image->h) return false;
    image->rgb.resize((size_t)image->w * image->h * 3);
    for (int y = 0; y < image->h; ++y) memcpy(&image->rgb[(size_t)y * (row - 1)], &raw[y * row + 1], row - 1);
    return true;
}

// The bitmap's pixels; it must not be selected into a device context.
inline Image bitmap_image(HDC dc, HBITMAP bitmap, int w, int h) {
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = -h;  // top row first
    info.biPlanes = 1;
    info.biBitCount = 24;
    int stride = (w * 3 + 3) & ~3;
    std::vector<unsigned char> pixels((size_t)stride * h);
    GetDIBits(dc, bitmap, 0, h, pixels.data(), (BITMAPINFO *)&info, DIB_RGB_COLORS);
    Image image;
    image.w = w;
    image.h = h;
    image.rgb.resize((size_t)w * h * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const unsigned char *bgr = &pixels[(size_t)y * stride + x * 3];
            unsigned char *p = &image.rgb[((size_t)y * w + x) * 3];
            p[0] = bgr[2];
            p[1] = bgr[1];
            p[2] = bgr[0];
        }
    }
    return image;
}

// The window's pixels from its own device context (`own`), or the screen's
// pixels where the window stands.
inline Image capture(HWND window, bool own) {
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (own) {
        HDC source = GetWindowDC(window);
        BitBlt(memory, 0, 0, w, h, source, 0, 0, SRCCOPY);
        ReleaseDC(window, source);
    } else {
        BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    }
    SelectObject(memory, old);
    Image image = bitmap_image(memory, bitmap, w, h);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

// Writes a PNG file, or a BMP file when the name does not end in ".png".
inline bool write(const std::string &path, const Image &image) {
    FILE *out = fopen(path.c_str(), "wb");
    if (!out) return false;
    if (path.size() > 4 && !_stricmp(path.c_str() + path.size() - 4, ".png")) {
        std::string png = png_file(image);
        fwrite(png.data(), 1, png.size(), out);
    } else {
        BITMAPINFOHEADER info = {};
        info.biSize = sizeof info;
        info.biWidth = image.w;
        info.biHeight = image.h;  // bottom row first
        info.biPlanes = 1;
        info.biBitCount = 24;
        int stride = (image.w * 3 + 3) & ~3;
        std::vector<unsigned char> rows((size_t)stride * image.h);
        for (int y = 0; y < image.h; ++y) {
            for (int x = 0; x < image.w; ++x) {
                const unsigned char *p = image.at(x, image.h - 1 - y);
                unsigned char *bgr = &rows[(size_t)y * stride + x * 3];
                bgr[0] = p[2];
                bgr[1] = p[1];
                bgr[2] = p[0];
            }
        }
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + (DWORD)rows.size();
        fwrite(&file, sizeof file, 1, out);
        fwrite(&info, sizeof info, 1, out);
        fwrite(rows.data(), 1, rows.size(), out);
    }
    return fclose(out) == 0;
}

// The class of the window through which a program takes pictures of its own
// windows for the driver: WM_COPYDATA with the window in dwData and the file's path as
// its data; answers 1 when the file was written.
inline const char *service_class() { return "palisade test pictures"; }

}  // namespace picture
