#include "LzhEncoder.h"

#include "BlockWriter.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <thread>

namespace lha::detail {

LzhEncoder::LzhEncoder(MethodParams params, EncoderOptions options)
    : params_(params), options_(options), window_(std::int32_t{1} << params.dict_bits) {
    options_.threads = std::clamp(options_.threads, 1, 2);
}

LzhEncoder::~LzhEncoder() = default;

void LzhEncoder::emit(bool final, BitWriter& out) {
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

void LzhEncoder::take(const ChunkParser& parser, BitWriter& out) {
    const auto& syms = parser.symbols();
    std::size_t from = 0;
    for (std::size_t end : parser.segment_ends()) {
        const std::size_t at = pending_.size();
        pending_.insert(pending_.end(), syms.begin() + static_cast<std::ptrdiff_t>(from),
                        syms.begin() + static_cast<std::ptrdiff_t>(end));
        planner_.add(pending_.data(), at, pending_.size());
        emit(false, out);
        from = end;
    }
}

void LzhEncoder::encode(const Input& in, BitWriter& out, std::uint64_t size_hint) {
    pending_.clear();
    planner_.clear();
    // Chunks of equal size, an even number of them: two lanes then finish together instead of
    // one parsing a short last chunk while the other parses a full one.
    std::size_t chunk =
        static_cast<std::size_t>(std::clamp<std::uint64_t>(size_hint, 64 * 1024, ChunkParser::kChunk));
    if (size_hint > ChunkParser::kChunk) {
        const std::uint64_t pairs = (size_hint + 2 * ChunkParser::kChunk - 1) / (2 * ChunkParser::kChunk);
        const std::uint64_t even = (size_hint + 2 * pairs - 1) / (2 * pairs);
        chunk = static_cast<std::size_t>(
            std::min<std::uint64_t>((even + 4095) / 4096 * 4096, ChunkParser::kChunk));
    }
    const int lanes = size_hint > ChunkParser::kChunk ? options_.threads : 1;
    while (static_cast<int>(parsers_.size()) < lanes)
        parsers_.push_back(std::make_unique<ChunkParser>(params_, options_));

    // The history of the next chunk: the last window of input before it.
    std::vector<unsigned char> history;
    std::int32_t hist[2] = {0, 0}, end[2] = {0, 0};
    bool eof = false;
    // Reads the next chunk into lane k; false when there is no more input.
    auto fill = [&](int k) {
        if (eof) return false;
        ChunkParser& p = *parsers_[static_cast<std::size_t>(k)];
        unsigned char* buf = p.buffer(history.size() + chunk);
        if (!history.empty()) std::memcpy(buf, history.data(), history.size());
        hist[k] = static_cast<std::int32_t>(history.size());
        std::size_t have = 0;
        while (have < chunk) {
            // A read shorter than asked may still be followed by more: only 0 ends the input.
            std::size_t got = in(buf + hist[k] + have, chunk - have);
            if (got == 0) {
                eof = true;
                break;
            }
            have += got;
        }
        end[k] = hist[k] + static_cast<std::int32_t>(have);
        if (have == 0) return false;
        const std::size_t keep =
            std::min<std::size_t>(static_cast<std::size_t>(end[k]), static_cast<std::size_t>(window_));
        history.assign(buf + end[k] - keep, buf + end[k]);
        return true;
    };
    bool ready = fill(0);
    while (ready) {
        if (lanes < 2 || !fill(1)) {
            parsers_[0]->parse(hist[0], end[0]);
            take(*parsers_[0], out);
            ready = fill(0);
            continue;
        }
        // Lane 1 parses while lane 0 parses, has its blocks written and reads the next chunk.
        std::exception_ptr failure;
        std::thread second([&] {
            try {
                parsers_[1]->parse(hist[1], end[1]);
            } catch (...) {
                failure = std::current_exception();
            }
        });
        // Joined on every way out: writing blocks or reading input may throw (output grown too
        // large, a failing sink or source, a cancel).
        struct Joiner {
            std::thread& t;
            ~Joiner() {
                if (t.joinable()) t.join();
            }
        } joiner{second};
        parsers_[0]->parse(hist[0], end[0]);
        take(*parsers_[0], out);
        ready = fill(0);
        second.join();
        if (failure) std::rethrow_exception(failure);
        take(*parsers_[1], out);
    }
    emit(true, out);
}

}  // namespace lha::detail
