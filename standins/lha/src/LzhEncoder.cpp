#include "LzhEncoder.h"

#include "BlockWriter.h"
#include "VectorSink.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>

namespace lha::detail {

namespace {

// Reads the next chunk to `at` of `buf` (grown as the data comes, up to at + kChunk) and puts
// kSlack zero bytes after it. Returns the bytes read; `eof` is set once the input has ended.
std::size_t read_chunk(const LzhEncoder::Input& in, std::vector<unsigned char>& buf, std::size_t at,
                       std::uint64_t size_hint, bool& eof) {
    const std::size_t chunk = LzhEncoder::kChunk, slack = ChunkParser::kSlack;
    const std::size_t first = static_cast<std::size_t>(std::clamp<std::uint64_t>(size_hint, 4096, chunk));
    if (buf.size() < at + first + slack) buf.resize(at + first + slack);
    std::size_t have = 0;
    while (have < chunk) {
        if (buf.size() < at + have + 4096 + slack)
            buf.resize(std::min(at + chunk, std::max(2 * buf.size(), at + have + 4096)) + slack);
        const std::size_t room = std::min(buf.size() - slack - at, chunk) - have;
        // A read shorter than asked may still be followed by more: only 0 ends the input.
        const std::size_t got = in(buf.data() + at + have, room);
        if (got == 0) {
            eof = true;
            break;
        }
        have += got;
    }
    std::memset(buf.data() + at + have, 0, slack);
    return have;
}

}  // namespace

ChunkEncoder::ChunkEncoder(MethodParams params, EncoderOptions options)
    : params_(params), parser_(params, options) {}

void ChunkEncoder::emit(bool final, BitWriter& out) {
    const std::size_t n = planner_.pieces();
    if (n == 0) return;
    const std::vector<std::size_t> cuts = planner_.plan(0);
    // Unless this is the end, the last block stays open: the next symbols may join it.
    const std::size_t keep_from = final ? n : (cuts.size() >= 2 ? cuts[cuts.size() - 2] : 0);
    std::size_t prev = 0;
    for (std::size_t c : cuts) {
        if (c > keep_from) break;
        const std::size_t a = planner_.piece_start(prev), b = planner_.piece_end(c - 1);
        write_block(pending_.data() + a, b - a, params_, out);
        prev = c;
    }
    if (prev == 0) return;
    const std::size_t drop = planner_.piece_end(prev - 1);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(drop));
    planner_.drop_front(prev);
}

void ChunkEncoder::encode(const unsigned char* buf, std::int32_t history, std::int32_t end, BitWriter& out) {
    pending_.clear();
    planner_.clear();
    parser_.start(buf, history, end);
    // Blocks are planned a segment at a time and written once settled; they may span segments
    // but end with the chunk.
    while (parser_.next()) {
        const auto& syms = parser_.symbols();
        const std::size_t at = pending_.size();
        pending_.insert(pending_.end(), syms.begin(), syms.end());
        planner_.add(pending_.data(), at, pending_.size());
        emit(false, out);
    }
    emit(true, out);
}

LzhEncoder::LzhEncoder(MethodParams params, EncoderOptions options)
    : params_(params), options_(options), window_(std::int32_t{1} << params.dict_bits) {
    threads_ =
        options_.threads > 0 ? options_.threads : static_cast<int>(std::thread::hardware_concurrency());
    threads_ = std::clamp(threads_, 1, kMaxThreads);
}

LzhEncoder::~LzhEncoder() = default;

ChunkEncoder& LzhEncoder::chunk_encoder(std::size_t i) {
    while (encoders_.size() <= i) encoders_.push_back(std::make_unique<ChunkEncoder>(params_, options_));
    return *encoders_[i];
}

void LzhEncoder::encode(const Input& in, BitWriter& out, std::uint64_t size_hint) {
    if (threads_ > 1 && size_hint > static_cast<std::uint64_t>(kChunk)) return encode_parallel(in, out);
    // One chunk after the other on the caller's thread; each starts with the window before it.
    ChunkEncoder& enc = chunk_encoder(0);
    std::size_t history = 0;
    bool eof = false;
    while (!eof) {
        const std::size_t have = read_chunk(in, buffer_, history, size_hint, eof);
        if (have == 0) break;
        const std::size_t end = history + have;
        enc.encode(buffer_.data(), static_cast<std::int32_t>(history), static_cast<std::int32_t>(end), out);
        history = std::min(end, static_cast<std::size_t>(window_));
        std::memmove(buffer_.data(), buffer_.data() + end - history, history);
    }
}

void LzhEncoder::encode_parallel(const Input& in, BitWriter& out) {
    // Chunks go round a ring of slots: the caller reads them in, a thread takes the next one read
    // and encodes it into the slot's own bit stream, the caller joins the streams in order. One
    // slot more than threads: a thread that finishes before the oldest chunk is done finds the
    // next chunk read (chunks take about the same time, more slots only cost memory).
    struct Slot {
        std::vector<unsigned char> data;  // history, then the chunk, then kSlack zero bytes
        std::int32_t history = 0, end = 0;
        std::vector<unsigned char> bits;
        std::uint64_t bit_count = 0;
        bool done = false;
        std::exception_ptr failure;
    };
    const int threads = threads_;
    const std::size_t ring = static_cast<std::size_t>(threads) + 1;
    std::vector<Slot> slots(ring);
    std::mutex mutex;
    std::condition_variable readable, finished;
    std::size_t published = 0, taken = 0;  // chunks read in, chunks taken by a thread
    bool stop = false;

    for (int t = 0; t < threads; ++t) chunk_encoder(static_cast<std::size_t>(t));
    auto work = [&](ChunkEncoder& enc) {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            readable.wait(lock, [&] { return stop || taken < published; });
            if (stop) return;
            Slot& s = slots[taken++ % ring];
            lock.unlock();
            try {
                VectorSink sink(s.bits);
                BitWriter bw(sink, std::numeric_limits<std::uint64_t>::max());
                enc.encode(s.data.data(), s.history, s.end, bw);
                s.bit_count = bw.bit_count();
                bw.flush();
            } catch (...) {
                s.failure = std::current_exception();  // out of memory, say: handed to the caller
            }
            lock.lock();
            s.done = true;
            finished.notify_all();
        }
    };
    std::vector<std::thread> pool;
    // Stopped and joined on every way out: reading may throw (a cancel, a failing source), and so
    // may writing (output grown too large, a failing sink).
    struct Stopper {
        std::mutex& m;
        std::condition_variable& cv;
        bool& stop;
        std::vector<std::thread>& pool;
        ~Stopper() {
            {
                std::lock_guard<std::mutex> lock(m);
                stop = true;
            }
            cv.notify_all();
            for (std::thread& t : pool) t.join();
        }
    } stopper{mutex, readable, stop, pool};
    for (int t = 0; t < threads; ++t) {
        try {
            pool.emplace_back(work, std::ref(*encoders_[static_cast<std::size_t>(t)]));
        } catch (const std::system_error&) {
            if (pool.empty()) throw;  // no thread at all to be had
            break;                    // the ones started do the work
        }
    }

    std::vector<unsigned char> history;
    std::size_t read = 0, written = 0;
    bool eof = false;
    for (;;) {
        while (!eof && read - written < ring) {
            Slot& s = slots[read % ring];
            if (s.data.size() < history.size()) s.data.resize(history.size());
            if (!history.empty()) std::memcpy(s.data.data(), history.data(), history.size());
            const std::size_t have = read_chunk(in, s.data, history.size(), kChunk, eof);
            if (have == 0) break;
            s.history = static_cast<std::int32_t>(history.size());
            s.end = static_cast<std::int32_t>(history.size() + have);
            const std::size_t keep =
                std::min(static_cast<std::size_t>(s.end), static_cast<std::size_t>(window_));
            history.assign(s.data.data() + s.end - keep, s.data.data() + s.end);
            {
                std::lock_guard<std::mutex> lock(mutex);
                s.done = false;
                s.failure = nullptr;
                ++published;
            }
            readable.notify_one();
            ++read;
        }
        if (written == read) break;
        Slot& s = slots[written % ring];
        {
            std::unique_lock<std::mutex> lock(mutex);
            finished.wait(lock, [&] { return s.done; });
        }
        if (s.failure) std::rethrow_exception(s.failure);
        out.append(s.bits.data(), s.bit_count);
        ++written;
    }
}

}  // namespace lha::detail
