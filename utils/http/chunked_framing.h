// Follows a body in chunked transfer coding byte by byte: each chunk's size
// in hexadecimal (optionally with extensions after ';') on a line of its
// own, its data and a CR LF, then the last chunk of size 0 and the empty line
// that ends the body. The HTTP library reads such bodies itself but takes a
// body whose framing breaks off after a chunk for a complete one; this says
// whether the bytes it read really ended the body. Trailer fields are not
// taken (the library does not take them either).
//
// A plain value; one request's thread uses it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Utils {

class ChunkedFraming {
  public:
    // Takes the next bytes of the body. False once the framing is broken
    // (also for bytes after its end); it stays broken.
    bool Feed(const char* data, size_t size);

    // The last chunk and the empty line after it have arrived.
    bool complete() const { return state_ == State::kDone; }
    bool broken() const { return state_ == State::kBroken; }

  private:
    enum class State {
        kSizeStart,  // before the first digit of a size
        kSize,       // in the digits
        kExtension,  // after ';', up to the line end
        kSizeLf,     // after the size line's CR
        kData,       // in a chunk's data
        kDataCr,     // after a chunk's data
        kDataLf,
        kFinalCr,  // after the last chunk's size line
        kFinalLf,
        kDone,
        kBroken,
    };

    bool Step(char c);
    void EndSizeLine();

    State state_ = State::kSizeStart;
    uint64_t size_ = 0;       // of the chunk being read
    uint64_t remaining_ = 0;  // of its data
    int digits_ = 0;
};

}  // namespace Utils
