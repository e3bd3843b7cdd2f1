#pragma once
// Reading a GIF file in memory through giflib, one record at a time: a scan
// of the records that skips the pixel data (how many frames, where, how long
// and how each is disposed of), and a reader that decodes the frames' pixel
// rows one after another. Neither holds more than one line of pixels.
#include "imaging/core/Bitmap.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct GifFileType;

namespace orvane::imaging::gif {

// What is done with a frame's area once it has been shown.
enum class TDisposal : uint8_t { Keep, Clear, Restore };

struct TFrame {
    int Left = 0, Top = 0, Width = 0, Height = 0; // on the logical screen
    bool Interlaced = false;
    int DelayMs = 0;
    TDisposal Disposal = TDisposal::Keep;
    int Transparent = -1; // colour index drawn as nothing, -1 for none
    // False for a last frame whose pixel data the file cuts short.
    bool Whole = true;
};

struct TLayout {
    int ScreenWidth = 0, ScreenHeight = 0;
    // How many times the frames play; 0 for ever.
    int LoopCount = 1;
    // Whole frames, then at most one that is cut short.
    std::vector<TFrame> Frames;
    int WholeFrames() const;
    // True when no pixel of the screen can ever be left see-through.
    bool Opaque() const;
};

// Scans the file's records without decoding pixels. A damaged or cut-short
// record ends the scan with the frames before it. Raises EInvalidGraphic
// when the bytes are no GIF file or hold no frame at all.
TLayout ScanLayout(const uint8_t* data, size_t size);

// giflib's decoder on bytes in memory, closed when it goes. Raises
// EInvalidGraphic when the bytes do not start a GIF file.
class TGifHandle {
public:
    TGifHandle(const uint8_t* data, size_t size);
    ~TGifHandle();
    TGifHandle(const TGifHandle&) = delete;
    TGifHandle& operator=(const TGifHandle&) = delete;

    GifFileType* operator->() const { return gif_; }
    GifFileType* Get() const { return gif_; }

private:
    static int Read(GifFileType* gif, uint8_t* buffer, int count);

    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
    GifFileType* gif_ = nullptr;
};

// 256 colours as 32-bit blue, green, red, alpha 255 (what the bitmap holds).
using TColours = std::array<uint32_t, 256>;

// The frames' pixels in file order.
class TFrameReader {
public:
    TFrameReader(const uint8_t* data, size_t size) : gif_(data, size) {}

    // Moves to the next frame's pixel data, past the extensions before it;
    // raises EInvalidGraphic when there is none.
    void NextFrame();
    // The current frame's colours: its local table, the global one, or a
    // gray ramp over the screen's colour resolution when the file has none.
    // Entries past the table are black.
    const TColours& Colours() const { return colours_; }
    // Reads the frame's next line in file order (width bytes of indexes);
    // false when the data ends or is damaged (see ErrorText).
    bool ReadLine(uint8_t* line, int width);
    std::string ErrorText() const;

private:
    void SkipRestOfFrame();

    TGifHandle gif_;
    TColours colours_{};
    int linesLeft_ = 0;
    bool started_ = false; // a line of the current frame was read
    bool inFrame_ = false;
};

// The row of the index-th line a frame of `height` rows stores: four passes
// (every eighth row from 0, every eighth from 4, every fourth from 2, every
// second from 1) for an interlaced frame, top to bottom otherwise.
int StoredRow(int index, int height, bool interlaced);

// The message giflib's error code stands for, as shown to the user.
std::string GifErrorText(int code);

} // namespace orvane::imaging::gif
