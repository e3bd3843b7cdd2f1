#pragma once
// Deflate (zlib stream) decoder for PNG image data, deflate-compressed TIFF
// strips and Paint Shop Pro channels.
#include "imaging/decoders/Decoder.h"

#include <memory>

namespace orvane::imaging {

class TLZ77Decoder : public TDecoder {
public:
    // zlib flush modes the readers use.
    static constexpr int PartialFlush = 1; // PNG, TIFF
    static constexpr int Finish = 4;       // Paint Shop Pro

    // zlib results callers look at after Decode.
    static constexpr int ResultOk = 0;        // more to come
    static constexpr int ResultStreamEnd = 1; // end of the zlib stream

    // With automatic reset every Decode call starts a new zlib stream (TIFF
    // strips are independent streams).
    TLZ77Decoder(int flushMode, bool autoReset);
    ~TLZ77Decoder() override;

    // Initialises the inflate stream (zlib header, window up to 32 KiB);
    // raises EDecoderError "LZ77 decompression error." when zlib refuses.
    void BeginDecoding() override;
    // Inflates source into target. The zlib result is kept in ZLibResult();
    // source and target move past what was consumed and produced. Decoding
    // before BeginDecoding, or after a failed reset, stores a negative result.
    void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) override;
    // Ends the inflate stream; a zlib error raises "LZ77 decompression error.".
    void EndDecoding() override;
    size_t Encode(const uint8_t* source, uint8_t* target, size_t count) override;

    int ZLibResult() const { return result_; }
    // Input bytes not consumed and output bytes not filled by the last Decode.
    size_t AvailableInput() const { return availableInput_; }
    size_t AvailableOutput() const { return availableOutput_; }
    int FlushMode() const { return flushMode_; }
    bool AutoReset() const { return autoReset_; }

private:
    struct Stream;
    std::unique_ptr<Stream> stream_;
    int result_ = 0;
    int flushMode_;
    bool autoReset_;
    bool initialized_ = false;
    size_t availableInput_ = 0;
    size_t availableOutput_ = 0;
};

} // namespace orvane::imaging
