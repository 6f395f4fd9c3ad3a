#include "utils/http/chunked_framing.h"

#include <algorithm>

namespace Utils {

namespace {

// A size of more hexadecimal digits than this does not fit 64 bits.
constexpr int kMaxSizeDigits = 15;

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

bool ChunkedFraming::Feed(const char* data, size_t size) {
    size_t i = 0;
    while (i < size && state_ != State::kBroken) {
        if (state_ == State::kData) {
            // Data is taken in one piece, not byte by byte.
            const size_t n = static_cast<size_t>(std::min<uint64_t>(remaining_, size - i));
            remaining_ -= n;
            i += n;
            if (remaining_ == 0) {
                state_ = State::kDataCr;
            }
            continue;
        }
        if (!Step(data[i])) {
            state_ = State::kBroken;
        }
        ++i;
    }
    return state_ != State::kBroken;
}

void ChunkedFraming::EndSizeLine() {
    if (size_ == 0) {
        state_ = State::kFinalCr;
    } else {
        remaining_ = size_;
        state_ = State::kData;
    }
}

bool ChunkedFraming::Step(char c) {
    switch (state_) {
        case State::kSizeStart:
        case State::kSize: {
            const int value = HexValue(c);
            if (value >= 0) {
                if (++digits_ > kMaxSizeDigits) {
                    return false;
                }
                size_ = size_ * 16 + static_cast<uint64_t>(value);
                state_ = State::kSize;
                return true;
            }
            if (state_ == State::kSizeStart) {
                return false;  // a size line without digits
            }
            if (c == ';') {
                state_ = State::kExtension;
            } else if (c == '\r') {
                state_ = State::kSizeLf;
            } else if (c == '\n') {
                EndSizeLine();
            } else {
                return false;
            }
            return true;
        }
        case State::kExtension:
            if (c == '\r') {
                state_ = State::kSizeLf;
            } else if (c == '\n') {
                EndSizeLine();
            }
            return true;
        case State::kSizeLf:
            if (c != '\n') {
                return false;
            }
            EndSizeLine();
            return true;
        case State::kDataCr:
            if (c != '\r') {
                return false;
            }
            state_ = State::kDataLf;
            return true;
        case State::kDataLf:
            if (c != '\n') {
                return false;
            }
            state_ = State::kSizeStart;
            size_ = 0;
            digits_ = 0;
            return true;
        case State::kFinalCr:
            if (c != '\r') {
                return false;
            }
            state_ = State::kFinalLf;
            return true;
        case State::kFinalLf:
            if (c != '\n') {
                return false;
            }
            state_ = State::kDone;
            return true;
        case State::kData:
        case State::kDone:
        case State::kBroken:
            break;
    }
    return false;
}

}  // namespace Utils
