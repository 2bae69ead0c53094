#include "cli/crypt_stream.h"

#include "cipher/cipher_error.h"
#include "cipher/cp1252.h"
#include "cipher/key_stream.h"
#include "cli/line_position.h"
#include "cli/utf8.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace velmora::cli {

namespace {

// Collects the codes of decoded characters; stops at the first the cipher
// refuses.
struct CodeCollector {
    std::uint8_t* out;
    std::size_t count = 0;
    char32_t refusedCharacter = 0;   // U+0000 for NUL

    // ASCII and U+00A0..U+00FF, nearly all of mail text, in vector runs.
    std::size_t run(const std::uint8_t* bytes, std::size_t n) {
        const utf8::Latin1Run taken = utf8::decodeLatin1Run(bytes, n, out + count);
        count += taken.written;
        return taken.consumed;
    }

    bool ascii(const std::uint8_t* bytes, std::size_t n) {
        if (n < 16) {   // short runs between other characters
            for (std::size_t i = 0; i < n; ++i) {
                if (bytes[i] == 0) return refuse(0);
                out[count++] = bytes[i];
            }
            return true;
        }
        const void* nul = std::memchr(bytes, 0, n);
        const std::size_t take = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - bytes) : n;
        std::memcpy(out + count, bytes, take);
        count += take;
        if (nul) return refuse(0);
        return true;
    }

    bool codePoint(char32_t ch) {
        const auto code = cp1252::fromUnicode(ch);
        if (!code || *code == 0) return refuse(ch);   // outside the code page, or NUL
        out[count++] = *code;
        return true;
    }

    bool refuse(char32_t ch) {
        refusedCharacter = ch;
        return false;
    }
};

// Output held back up to a limit, then written in large blocks.
class HeldOutput {
public:
    HeldOutput(ByteSink& sink, std::size_t holdBytes, std::size_t largestPiece)
        : sink_(sink), hold_(holdBytes), buffer_(holdBytes + largestPiece) {}

    // Room for a piece of at most largestPiece bytes.
    std::uint8_t* tail() { return buffer_.data() + used_; }

    // The piece written into tail() is complete; returns 0 or errno.
    int commit(std::size_t bytes) {
        used_ += bytes;
        return used_ >= hold_ ? flush() : 0;
    }

    int flush() {
        if (used_ == 0) return 0;
        const int error = sink_.write({buffer_.data(), used_});
        written_ += used_;
        used_ = 0;
        return error;
    }

    std::uint64_t written() const { return written_; }

private:
    ByteSink& sink_;
    std::size_t hold_;
    std::vector<std::uint8_t> buffer_;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;
};

// Codes decoded from many reads, on their way to the writer.
struct Piece {
    std::vector<std::uint8_t> codes;   // room for a whole piece
    std::size_t count = 0;             // how many of them are filled
    std::span<std::uint8_t> filled() { return {codes.data(), count}; }
};

// Hands decoded pieces from the reading thread to the writing thread. A few
// buffers go round between the two, so memory stays bounded.
class PieceQueue {
public:
    PieceQueue(std::size_t buffers, std::size_t bytes) {
        for (std::size_t i = 0; i < buffers; ++i) spare_.push_back(Piece{std::vector<std::uint8_t>(bytes), 0});
    }

    // A buffer to fill; nothing when the writer has given up.
    std::optional<Piece> takeSpare() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !spare_.empty() || writerFailed_; });
        if (writerFailed_) return std::nullopt;
        auto buffer = std::move(spare_.back());
        spare_.pop_back();
        return buffer;
    }

    void push(Piece piece) {
        change([&] { filled_.push_back(std::move(piece)); });
    }

    // The next piece for the writer; nothing once the reader has closed the
    // queue and every piece is taken.
    std::optional<Piece> pop() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !filled_.empty() || closed_; });
        if (filled_.empty()) return std::nullopt;
        auto piece = std::move(filled_.front());
        filled_.pop_front();
        return piece;
    }

    void giveBack(Piece buffer) {
        change([&] { spare_.push_back(std::move(buffer)); });
    }

    void close() {
        change([&] { closed_ = true; });
    }

    void writerFailed() {
        change([&] { writerFailed_ = true; });
    }

private:
    // Changes the shared state under the lock, then wakes whoever waits.
    template <class Change>
    void change(Change apply) {
        {
            std::lock_guard lock(mutex_);
            apply();
        }
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Piece> spare_;
    std::deque<Piece> filled_;
    bool closed_ = false;
    bool writerFailed_ = false;
};

} // namespace

StreamOutcome cryptStream(ByteSource& source, ByteSink& sink, std::span<const std::uint8_t> passwordCodes,
                          const StreamSettings& settings) {
    const std::size_t chunk = settings.chunkBytes > 0 ? settings.chunkBytes : 1;
    // No larger than the output held back, so that past it the output
    // still starts going out piece by piece.
    const std::size_t pieceCodes = std::max(std::min(settings.pieceBytes, settings.holdBytes), chunk);
    KeyStream keys(passwordCodes);
    std::vector<std::uint8_t> input(chunk);
    HeldOutput output(sink, settings.holdBytes, settings.raw ? chunk : 3 * chunk);
    LinePosition position;
    std::uint64_t charactersBefore = 0;
    utf8::Decoder decoder(true);

    // Two stages on two threads: this one reads and decodes, the writer
    // applies the key stream, encodes and writes. The key stream does not
    // depend on the text, so the writer needs nothing back from the reader.
    PieceQueue queue(3, pieceCodes);
    int writeError = 0;
    std::thread writer([&] {
        while (auto piece = queue.pop()) {
            // A read's worth at a time, which stays in the cache through
            // the three passes.
            for (std::size_t from = 0; from < piece->count; from += chunk) {
                const std::span<std::uint8_t> codes = piece->filled().subspan(from, std::min(chunk, piece->count - from));
                // Lines are counted here, off the busier reading thread, on
                // the codes before they are enciphered.
                position.advance(codes);
                keys.apply(codes);
                std::size_t bytes = codes.size();
                if (settings.raw) {
                    std::memcpy(output.tail(), codes.data(), bytes);
                } else {
                    bytes = utf8::encodeCodes(codes, output.tail());
                }
                if (const int error = output.commit(bytes)) {
                    writeError = error;
                    queue.writerFailed();
                    return;
                }
            }
            queue.giveBack(std::move(*piece));
        }
    });
    // Whichever way the run ends, the writer finishes the pieces handed to
    // it and stops before the outcome (written bytes, write error) is read.
    const auto finishWriter = [&] {
        if (!writer.joinable()) return;
        queue.close();
        writer.join();
    };
    struct JoinWriter {
        PieceQueue& queue;
        std::thread& writer;
        ~JoinWriter() {
            if (!writer.joinable()) return;
            queue.close();
            writer.join();
        }
    } const joinOnExit{queue, writer};
    const auto writeFailed = [&] {
        finishWriter();
        return StreamOutcome{ioFailure("Kan inte skriva resultatet", writeError), output.written()};
    };

    const auto refuse = [&](CipherError::Kind kind, char32_t ch, std::span<const std::uint8_t> before) {
        // The writer has counted the lines of every piece handed to it once
        // it has stopped.
        finishWriter();
        if (writeError != 0) return writeFailed();
        LinePosition at = position;
        at.advance(before);
        const CipherError error{kind, ch, static_cast<std::size_t>(charactersBefore + before.size()), at.line(),
                                at.column()};
        return StreamOutcome{badInput(error.message()), output.written()};
    };
    const auto invalidUtf8 = [&](const utf8::Error& error) {
        finishWriter();
        if (writeError != 0) return writeFailed();
        return StreamOutcome{badInput("Texten är inte giltig UTF-8: " + std::string(utf8::faultText(error.fault))
                                      + " vid byte " + std::to_string(error.offset) + " (räknat från 0)."),
                             output.written()};
    };
    // Small reads, decoded while they are in the cache, gathered into large
    // pieces for the writer.
    for (bool ended = false; !ended;) {
        auto buffer = queue.takeSpare();
        if (!buffer) return writeFailed();
        std::size_t filled = 0;
        while (buffer->codes.size() - filled >= chunk) {
            const auto got = source.read(input);
            if (got.error != 0) {
                finishWriter();
                return {ioFailure("Kan inte läsa texten", got.error), output.written()};
            }
            if (got.count == 0) {
                ended = true;
                break;
            }
            const std::span<std::uint8_t> piece(input.data(), got.count);
            std::uint8_t* const codes = buffer->codes.data() + filled;
            if (settings.raw) {
                const void* nul = std::memchr(piece.data(), 0, piece.size());
                const auto take = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - piece.data())
                                      : piece.size();
                std::memcpy(codes, piece.data(), take);
                if (nul) return refuse(CipherError::Kind::NulInText, 0, {buffer->codes.data(), filled + take});
                filled += take;
                continue;
            }
            CodeCollector collector{codes};
            switch (decoder.feed(piece, collector)) {
            case utf8::Decoder::Status::Ok: break;
            case utf8::Decoder::Status::Invalid: return invalidUtf8(decoder.error());
            case utf8::Decoder::Status::Stopped:
                return refuse(collector.refusedCharacter == 0 ? CipherError::Kind::NulInText
                                                              : CipherError::Kind::UnmappableInText,
                              collector.refusedCharacter, {buffer->codes.data(), filled + collector.count});
            }
            filled += collector.count;
        }
        if (filled == 0) continue;
        buffer->count = filled;
        charactersBefore += filled;
        queue.push(std::move(*buffer));
    }
    if (!settings.raw && decoder.finish() == utf8::Decoder::Status::Invalid) return invalidUtf8(decoder.error());
    finishWriter();
    if (writeError != 0) return writeFailed();
    if (const int error = output.flush()) {
        writeError = error;
        return writeFailed();
    }
    return {std::nullopt, output.written()};
}

} // namespace velmora::cli
