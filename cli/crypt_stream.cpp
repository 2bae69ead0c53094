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
#include <string>
#include <thread>
#include <variant>
#include <vector>

namespace velmora::cli {

namespace {

// Copies bytes up to the first NUL (which the cipher refuses); returns how
// many, n when there is none.
std::size_t copyUpToNul(const std::uint8_t* bytes, std::size_t n, std::uint8_t* out) {
    const void* nul = std::memchr(bytes, 0, n);
    const std::size_t taken = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - bytes) : n;
    std::memcpy(out, bytes, taken);
    return taken;
}

// Collects the codes of decoded characters; stops at the first the cipher
// refuses.
struct CodeCollector {
    std::uint8_t* out;
    std::size_t count = 0;
    char32_t refusedCharacter = 0;  // U+0000 for NUL

    // ASCII and U+00A0..U+00FF, nearly all of mail text, in vector runs.
    std::size_t run(const std::uint8_t* bytes, std::size_t n) {
        const utf8::Latin1Run taken = utf8::decodeLatin1Run(bytes, n, out + count);
        count += taken.written;
        return taken.consumed;
    }

    bool ascii(const std::uint8_t* bytes, std::size_t n) {
        if (n < 16) {  // short runs between other characters
            for (std::size_t i = 0; i < n; ++i) {
                if (bytes[i] == 0) return refuse(0);
                out[count++] = bytes[i];
            }
            return true;
        }
        const std::size_t taken = copyUpToNul(bytes, n, out + count);
        count += taken;
        return taken == n || refuse(0);
    }

    bool codePoint(char32_t ch) {
        const auto code = cp1252::fromUnicode(ch);
        if (!code || *code == 0) return refuse(ch);  // outside the code page, or NUL
        out[count++] = *code;
        return true;
    }

    bool refuse(char32_t ch) {
        refusedCharacter = ch;
        return false;
    }
};

// Output held back up to a limit, then written in large blocks. Each
// addition is written in place, into room(), and then committed.
class HeldOutput {
public:
    HeldOutput(ByteSink& sink, std::size_t holdBytes, std::size_t largestAddition)
        : sink_(sink), hold_(holdBytes), buffer_(holdBytes + largestAddition) {}

    // Room for an addition of at most largestAddition bytes.
    std::uint8_t* room() { return buffer_.data() + used_; }

    // The addition written into room() is complete; returns 0 or errno.
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

// A batch: the codes of many reads, handed from the reader to the writer at
// once.
struct Batch {
    std::vector<std::uint8_t> codes;  // room for a whole batch
    std::size_t count = 0;            // how many of them are filled
    std::span<std::uint8_t> filled() { return {codes.data(), count}; }
    std::size_t room() const { return codes.size() - count; }
};

// Hands batches from the reading thread to the writing thread. A few go
// round between the two, so memory stays bounded.
class BatchQueue {
public:
    BatchQueue(std::size_t batches, std::size_t codes) {
        for (std::size_t i = 0; i < batches; ++i) spare_.push_back(Batch{std::vector<std::uint8_t>(codes), 0});
    }

    // An empty batch to fill; nothing when the writer has given up.
    std::optional<Batch> takeSpare() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !spare_.empty() || writerFailed_; });
        if (writerFailed_) return std::nullopt;
        auto batch = std::move(spare_.back());
        spare_.pop_back();
        return batch;
    }

    void push(Batch batch) {
        change([&] { filled_.push_back(std::move(batch)); });
    }

    // The next batch for the writer; nothing once the reader has closed the
    // queue and every batch is taken.
    std::optional<Batch> pop() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !filled_.empty() || closed_; });
        if (filled_.empty()) return std::nullopt;
        auto batch = std::move(filled_.front());
        filled_.pop_front();
        return batch;
    }

    // A batch the writer is done with goes back to the spares, emptied.
    void giveBack(Batch batch) {
        batch.count = 0;
        change([&] { spare_.push_back(std::move(batch)); });
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
    std::vector<Batch> spare_;
    std::deque<Batch> filled_;
    bool closed_ = false;
    bool writerFailed_ = false;
};

// The settings as the two stages use them: reads of at least a byte, and
// batches no smaller than a read and no larger than the output held back, so
// that past it the output still starts going out batch by batch.
StreamSettings effective(StreamSettings settings) {
    settings.chunkBytes = std::max<std::size_t>(settings.chunkBytes, 1);
    settings.batchBytes = std::max(std::min(settings.batchBytes, settings.holdBytes), settings.chunkBytes);
    return settings;
}

// The writing stage, on a thread of its own: counts the lines of the batches
// sent to it, applies the key stream, encodes and holds back or writes the
// result. The key stream does not depend on the text, so the writer needs
// nothing back from the reader. It stops, at the latest, when destroyed.
class Writer {
public:
    Writer(ByteSink& sink, std::span<const std::uint8_t> passwordCodes, const StreamSettings& settings)
        : keys_(passwordCodes),
          raw_(settings.raw),
          chunk_(settings.chunkBytes),
          queue_(3, settings.batchBytes),
          output_(sink, settings.holdBytes, settings.raw ? chunk_ : 3 * chunk_),
          thread_([this] { run(); }) {}

    ~Writer() { finish(); }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // An empty batch to fill; nothing once the writer has failed.
    std::optional<Batch> emptyBatch() { return queue_.takeSpare(); }

    void send(Batch batch) { queue_.push(std::move(batch)); }

    // Lets the writer finish the batches sent to it and waits until it has:
    // what follows reads what it did.
    void finish() {
        if (!thread_.joinable()) return;
        queue_.close();
        thread_.join();
    }

    // After finish(): 0, or the errno of the failed write.
    int error() const { return error_; }
    // After finish(): where the text goes on after every batch sent.
    const LinePosition& position() const { return position_; }
    // After finish(): bytes handed to the sink.
    std::uint64_t written() const { return output_.written(); }

    // After finish(): writes the output still held back; 0 or errno.
    int writeHeld() {
        error_ = output_.flush();
        return error_;
    }

private:
    void run() {
        while (auto batch = queue_.pop()) {
            // A read's worth at a time, which stays in the cache through the
            // three passes.
            for (std::size_t from = 0; from < batch->count; from += chunk_) {
                error_ = writeCodes(batch->filled().subspan(from, std::min(chunk_, batch->count - from)));
                if (error_ != 0) {
                    queue_.writerFailed();
                    return;
                }
            }
            queue_.giveBack(std::move(*batch));
        }
    }

    int writeCodes(std::span<std::uint8_t> codes) {
        // Lines are counted here, off the busier reading thread, on the codes
        // before they are enciphered.
        position_.advance(codes);
        keys_.apply(codes);
        if (raw_) {
            std::memcpy(output_.room(), codes.data(), codes.size());
            return output_.commit(codes.size());
        }
        return output_.commit(utf8::encodeCodes(codes, output_.room()));
    }

    KeyStream keys_;
    const bool raw_;
    const std::size_t chunk_;
    BatchQueue queue_;
    HeldOutput output_;
    LinePosition position_;
    int error_ = 0;
    std::thread thread_;  // last: starts once everything it uses is built
};

// Why the reading stopped.
struct SourceEnded {};
struct WriterStopped {};  // the writer's error says why
struct ReadFailed {
    int error;
};
struct Refused {  // a character the cipher does not take
    CipherError::Kind kind;
    char32_t character;
    std::uint64_t offset;                  // characters before it
    std::span<const std::uint8_t> unsent;  // the codes before it the writer has not had
};
using ReadEnd = std::variant<SourceEnded, WriterStopped, ReadFailed, utf8::Error, Refused>;

// The reading stage: small reads, decoded while they are in the cache,
// gathered into batches for the writer.
class Reader {
public:
    Reader(ByteSource& source, const StreamSettings& settings)
        : source_(source), raw_(settings.raw), input_(settings.chunkBytes) {}

    // Reads the source to its end, or to whatever stops the stream, and sends
    // the writer every batch filled. A Refused points into the reader.
    ReadEnd readAll(Writer& writer) {
        for (bool sourceEnded = false; !sourceEnded;) {
            batch_ = writer.emptyBatch();
            if (!batch_) return WriterStopped{};
            while (batch_->room() >= input_.size()) {
                const ByteSource::Result got = source_.read(input_);
                if (got.error != 0) return ReadFailed{got.error};
                if (got.count == 0) {
                    sourceEnded = true;
                    break;
                }
                const std::span<const std::uint8_t> bytes(input_.data(), got.count);
                if (auto stop = raw_ ? takeRaw(bytes) : takeUtf8(bytes)) return *stop;
            }
            if (batch_->count > 0) {
                charactersSent_ += batch_->count;
                writer.send(std::move(*batch_));
            }
        }
        if (!raw_ && decoder_.finish() == utf8::Decoder::Status::Invalid) return decoder_.error();
        return SourceEnded{};
    }

private:
    // Adds a read's codes to the batch; what stops the stream, if anything.
    std::optional<ReadEnd> takeRaw(std::span<const std::uint8_t> bytes) {
        const std::size_t taken = copyUpToNul(bytes.data(), bytes.size(), batch_->codes.data() + batch_->count);
        batch_->count += taken;
        if (taken < bytes.size()) return refused(CipherError::Kind::NulInText, 0);
        return std::nullopt;
    }

    std::optional<ReadEnd> takeUtf8(std::span<const std::uint8_t> bytes) {
        CodeCollector collector{batch_->codes.data() + batch_->count};
        const utf8::Decoder::Status status = decoder_.feed(bytes, collector);
        batch_->count += collector.count;
        switch (status) {
        case utf8::Decoder::Status::Ok: return std::nullopt;
        case utf8::Decoder::Status::Invalid: return decoder_.error();
        case utf8::Decoder::Status::Stopped:
            return refused(
                collector.refusedCharacter == 0 ? CipherError::Kind::NulInText : CipherError::Kind::UnmappableInText,
                collector.refusedCharacter);
        }
        return std::nullopt;
    }

    // The character after the batch's codes is refused.
    Refused refused(CipherError::Kind kind, char32_t character) {
        return {kind, character, charactersSent_ + batch_->count, batch_->filled()};
    }

    ByteSource& source_;
    const bool raw_;
    std::vector<std::uint8_t> input_;  // one read
    utf8::Decoder decoder_{true};      // a leading byte order mark is not text
    std::optional<Batch> batch_;       // the batch being filled
    std::uint64_t charactersSent_ = 0;
};

std::string invalidUtf8Message(const utf8::Error& error) {
    return "Texten är inte giltig UTF-8: " + std::string(utf8::faultText(error.fault)) + " vid byte " +
           std::to_string(error.offset) + " (räknat från 0).";
}

// The refusal as the cipher itself reports it, placed after every code
// before it: those the writer has counted and those it has not had.
CipherError refusalAt(const Refused& refused, LinePosition position) {
    position.advance(refused.unsent);
    return {refused.kind, refused.character, static_cast<std::size_t>(refused.offset), position.line(),
            position.column()};
}

// The run's outcome once the reading has stopped. The writer finishes first,
// so that its error, its line count and the bytes written cover every batch
// sent to it.
StreamOutcome outcomeOf(const ReadEnd& end, Writer& writer) {
    writer.finish();
    const auto outcome = [&](std::optional<Failure> failure) {
        return StreamOutcome{std::move(failure), writer.written()};
    };
    if (const auto* failed = std::get_if<ReadFailed>(&end)) {
        return outcome(ioFailure("Kan inte läsa texten", failed->error));
    }
    if (writer.error() == 0) {
        if (const auto* invalid = std::get_if<utf8::Error>(&end)) {
            return outcome(badInput(invalidUtf8Message(*invalid)));
        }
        if (const auto* refused = std::get_if<Refused>(&end)) {
            return outcome(badInput(refusalAt(*refused, writer.position()).message()));
        }
        // The source ended (a writer that stopped has an error).
        if (writer.writeHeld() == 0) return outcome(std::nullopt);
    }
    return outcome(ioFailure("Kan inte skriva resultatet", writer.error()));
}

}  // namespace

StreamOutcome cryptStream(ByteSource& source, ByteSink& sink, std::span<const std::uint8_t> passwordCodes,
                          const StreamSettings& settings) {
    const StreamSettings used = effective(settings);
    Writer writer(sink, passwordCodes, used);
    Reader reader(source, used);
    const ReadEnd end = reader.readAll(writer);
    return outcomeOf(end, writer);
}

}  // namespace velmora::cli
