// Chunk-level PNG construction with zlib, and editor-style pictures through libpng's writer.
#include "tests/png_chunk_files.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <map>
#include <tuple>

namespace pngchunks {

namespace {

void appendUint32(Bytes& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<unsigned char>(value >> shift));
    }
}

void appendText(Bytes& out, const char* text) {
    out.insert(out.end(), text, text + std::strlen(text));
}

void appendBytes(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

Bytes signature() {
    return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
}

Bytes header(uint32_t width, uint32_t height) {
    Bytes data;
    appendUint32(data, width);
    appendUint32(data, height);
    data.insert(data.end(), {8, PNG_COLOR_TYPE_RGB, 0, 0, 0});
    return chunk("IHDR", data);
}

Bytes physicalSizeChunk() {
    Bytes data;
    appendUint32(data, 2835);
    appendUint32(data, 2835);
    data.push_back(PNG_RESOLUTION_METER);
    return chunk("pHYs", data);
}

Bytes timeChunk() {
    return chunk("tIME", {0x07, 0xea, 12, 7, 17, 35, 40}); // 2026-12-07 17:35:40
}

// The zlib stream of the 4 x 4 RGB image: each row a filter byte (none) and 12 samples.
Bytes smallImageStream() {
    const Bytes pixels = smallPicturePixels();
    Bytes rows;
    for (int y = 0; y < 4; ++y) {
        rows.push_back(0);
        rows.insert(rows.end(), pixels.begin() + 12 * y, pixels.begin() + 12 * (y + 1));
    }
    Bytes compressed(compressBound(rows.size()));
    uLongf size = compressed.size();
    compress(compressed.data(), &size, rows.data(), rows.size());
    compressed.resize(size);
    return compressed;
}

// A 4 x 4 RGB picture with the given chunks between its header and its image data.
Bytes smallPicture(const Bytes& ancillary) {
    Bytes file = signature();
    appendBytes(file, header(4, 4));
    appendBytes(file, ancillary);
    appendBytes(file, chunk("IDAT", smallImageStream()));
    appendBytes(file, chunk("IEND", {}));
    return file;
}

// Deflates prefix followed by fill bytes up to total bytes, a megabyte at a time.
Bytes deflateFresh(const Bytes& prefix, unsigned char fill, size_t total) {
    z_stream stream = {};
    // Run-length matching finds the same 258-byte repeats as the full search, four times faster.
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15, 9, Z_RLE);
    Bytes out;
    Bytes piece(1 << 20, fill);
    unsigned char buffer[1 << 16];
    size_t fed = 0;
    bool first = true;
    int flush = Z_NO_FLUSH;
    while (flush != Z_FINISH) {
        Bytes input = first ? prefix : Bytes();
        first = false;
        const size_t room = total > fed + input.size() ? total - fed - input.size() : 0;
        input.insert(input.end(), piece.begin(), piece.begin() + std::min(room, piece.size()));
        fed += input.size();
        flush = fed >= total ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = input.data();
        stream.avail_in = static_cast<uInt>(input.size());
        do {
            stream.next_out = buffer;
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.insert(out.end(), buffer, buffer + (sizeof buffer - stream.avail_out));
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

// deflateFresh, remembered: the two text bombs share one stream.
Bytes deflateRun(const Bytes& prefix, unsigned char fill, size_t total) {
    static std::map<std::tuple<Bytes, unsigned char, size_t>, Bytes> made;
    const auto key = std::make_tuple(prefix, fill, total);
    if (made.count(key) == 0) {
        made[key] = deflateFresh(prefix, fill, total);
    }
    return made[key];
}

void appendD50(Bytes& out) {
    appendUint32(out, 0x0000f6d6);
    appendUint32(out, 0x00010000);
    appendUint32(out, 0x0000d32d);
}

void writeToVector(png_structp png, png_bytep data, png_size_t length) {
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

} // namespace

Bytes smallPicturePixels() {
    Bytes pixels;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 12; ++x) {
            pixels.push_back(static_cast<unsigned char>(x * 20 + y * 50));
        }
    }
    return pixels;
}

Bytes chunk(const char* type, const Bytes& data) {
    Bytes out;
    appendUint32(out, static_cast<uint32_t>(data.size()));
    Bytes typed(type, type + 4);
    appendBytes(typed, data);
    appendBytes(out, typed);
    appendUint32(out, static_cast<uint32_t>(crc32(0, typed.data(), typed.size())));
    return out;
}

Metadata allMetadata() {
    Metadata all;
    all.text = all.compressedText = all.internationalText = true;
    all.colourProfile = all.time = all.physicalSize = true;
    return all;
}

Bytes iccProfileHeader(uint32_t declaredSize, uint32_t tagCount) {
    Bytes profile;
    appendUint32(profile, declaredSize);
    appendUint32(profile, 0);          // preferred colour management module
    appendUint32(profile, 0x02100000); // version 2.1
    appendText(profile, "mntrRGB XYZ ");
    profile.insert(profile.end(), {0x07, 0xea, 0, 12, 0, 7, 0, 17, 0, 35, 0, 40});
    appendText(profile, "acsp");
    profile.resize(64, 0);    // platform, flags, device maker, model and attributes
    appendUint32(profile, 0); // perceptual rendering intent
    appendD50(profile);
    profile.resize(128, 0); // creator, profile ID, reserved
    appendUint32(profile, tagCount);
    return profile;
}

Bytes iccProfile() {
    // Long enough that libpng reads it: it refuses an iCCP chunk under 92 bytes as too short.
    Bytes copyright;
    appendText(copyright, "text");
    appendUint32(copyright, 0);
    appendText(copyright, "Written by the Solvane tests as a seed for the PNG fuzzer; no rights.");
    copyright.resize((copyright.size() + 4) / 4 * 4, 0); // terminated, padded to 4 bytes
    const uint32_t whitePointAt = 132 + 2 * 12;
    const uint32_t copyrightAt = whitePointAt + 20;
    Bytes profile = iccProfileHeader(copyrightAt + static_cast<uint32_t>(copyright.size()), 2);
    appendText(profile, "wtpt"); // the media white point: D50
    appendUint32(profile, whitePointAt);
    appendUint32(profile, 20);
    appendText(profile, "cprt");
    appendUint32(profile, copyrightAt);
    appendUint32(profile, static_cast<uint32_t>(copyright.size()));
    appendText(profile, "XYZ ");
    appendUint32(profile, 0);
    appendD50(profile);
    appendBytes(profile, copyright);
    return profile;
}

Bytes editorPicture(int width, int height, int colorType, bool interlaced,
                    const Metadata& metadata) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return Bytes();
    }
    png_set_write_fn(png, &out, writeToVector, flushNothing);
    png_set_IHDR(png, info, width, height, 8, colorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[256];
        for (int i = 0; i < 256; ++i) {
            palette[i] = {static_cast<png_byte>(i), static_cast<png_byte>(255 - i),
                          static_cast<png_byte>(i * 3)};
        }
        png_set_PLTE(png, info, palette, 256);
    }

    static char title[] = "Title", titleText[] = "A picture from an image editor";
    static char comment[] = "Comment", description[] = "Description", language[] = "en";
    static char translated[] = "Kuvaus";
    static std::string commentText(400, 'c');
    static std::string descriptionText(300, 'd');
    png_text texts[4] = {};
    int textCount = 0;
    if (metadata.text) {
        texts[textCount].compression = PNG_TEXT_COMPRESSION_NONE;
        texts[textCount].key = title;
        texts[textCount++].text = titleText;
    }
    if (metadata.compressedText) {
        texts[textCount].compression = PNG_TEXT_COMPRESSION_zTXt;
        texts[textCount].key = comment;
        texts[textCount++].text = &commentText[0];
    }
    if (metadata.internationalText) {
        for (int compression : {PNG_ITXT_COMPRESSION_NONE, PNG_ITXT_COMPRESSION_zTXt}) {
            texts[textCount].compression = compression;
            texts[textCount].key = description;
            texts[textCount].text = &descriptionText[0];
            texts[textCount].lang = language;
            texts[textCount++].lang_key = translated;
        }
    }
    if (textCount > 0) {
        png_set_text(png, info, texts, textCount);
    }
    if (metadata.colourProfile) {
        const Bytes profile = iccProfile();
        png_set_iCCP(png, info, "Display", PNG_COMPRESSION_TYPE_BASE, profile.data(),
                     static_cast<png_uint_32>(profile.size()));
    }
    if (metadata.time) {
        png_time when = {2026, 12, 7, 17, 35, 40};
        png_set_tIME(png, info, &when);
    }
    if (metadata.physicalSize) {
        png_set_pHYs(png, info, 2835, 2835, PNG_RESOLUTION_METER);
    }

    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    Bytes row(png_get_rowbytes(png, info));
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < height; ++y) {
            for (size_t i = 0; i < row.size(); ++i) {
                row[i] = static_cast<unsigned char>(i * 7 + y * 13);
            }
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes declaringHugeChunk(const char* type, uint32_t declaredLength) {
    Bytes file = signature();
    appendBytes(file, header(4, 4));
    appendBytes(file, physicalSizeChunk());
    appendBytes(file, timeChunk());
    appendUint32(file, declaredLength);
    appendText(file, type);
    if (std::strcmp(type, "IDAT") == 0) {
        appendBytes(file, smallImageStream());
    } else if (std::strcmp(type, "iTXt") == 0) {
        appendText(file, "Description");
        file.insert(file.end(), {0, 0, 0}); // uncompressed, no language
        appendText(file, "en");
        file.push_back(0);
        file.push_back(0);
        file.insert(file.end(), 48, 'd');
    } else {
        appendText(file, "Comment");
        file.push_back(0);
        file.insert(file.end(), 64, 'c');
    }
    return file;
}

Bytes withCompressedBomb(const char* type, size_t inflatedBytes) {
    Bytes data;
    if (std::strcmp(type, "iCCP") == 0) {
        appendText(data, "Display");
        data.insert(data.end(), {0, 0}); // name terminator, deflate
        appendBytes(data, deflateRun(iccProfileHeader(static_cast<uint32_t>(inflatedBytes), 0), 0,
                                     inflatedBytes));
    } else if (std::strcmp(type, "iTXt") == 0) {
        appendText(data, "Description");
        data.insert(data.end(), {0, 1, 0, 0, 0}); // deflated, no language, no translation
        appendBytes(data, deflateRun({}, ' ', inflatedBytes));
    } else {
        appendText(data, "Comment");
        data.insert(data.end(), {0, 0}); // keyword terminator, deflate
        appendBytes(data, deflateRun({}, ' ', inflatedBytes));
    }
    return smallPicture(chunk(type, data));
}

Bytes withLargeText(size_t dataBytes) {
    Bytes data;
    appendText(data, "Comment");
    data.push_back(0);
    data.resize(dataBytes, 'c');
    return smallPicture(chunk("tEXt", data));
}

} // namespace pngchunks
