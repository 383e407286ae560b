#include "PackAhead.h"

#include <windows.h>

#include <algorithm>

#include "PackSelection.h"
#include "Win32Handle.h"

namespace unlha {

namespace {

std::uint64_t ListedSize(const PackItem& item) {
    return (static_cast<std::uint64_t>(item.data.nFileSizeHigh) << 32) | item.data.nFileSizeLow;
}

// The whole file, read to its end as add_file reads it; false when it cannot be opened or read,
// or turns out larger than the workers take.
bool ReadWhole(const std::string& path, std::vector<unsigned char>& out) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size) ||
        static_cast<std::uint64_t>(size.QuadPart) > PackAhead::kLargeFile)
        return false;
    // One byte more than the size, so that a file grown since is seen at once.
    out.resize(static_cast<std::size_t>(size.QuadPart) + 1);
    std::size_t have = 0;
    for (;;) {
        if (have == out.size()) {
            if (out.size() > PackAhead::kLargeFile) return false;
            out.resize(std::min<std::size_t>(out.size() * 2, PackAhead::kLargeFile + 1));
        }
        DWORD got = 0;
        if (!::ReadFile(file.get(), out.data() + have, static_cast<DWORD>(out.size() - have), &got, nullptr))
            return false;
        if (got == 0) break;
        have += got;
    }
    out.resize(have);
    return true;
}

}  // namespace

int PackAhead::DefaultThreads() {
    DWORD_PTR process = 0, system = 0;
    int n = 0;
    if (::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system))
        for (; process; process &= process - 1) ++n;
    if (n == 0) n = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(n, 1, 8);
}

PackAhead::PackAhead(std::vector<const PackItem*> order, lha::Method method, int threads)
    : method_(method), slots_(order.size()) {
    order_.reserve(order.size());
    for (const PackItem* item : order) order_.push_back(File{item, item->diskPath, ListedSize(*item)});
    const int n = std::clamp(threads, 1, 8);
    try {
        for (int i = 0; i < n; ++i) workers_.emplace_back([this] { Work(); });
    } catch (...) {
        // No thread to be had: the ones started finish the work, or the writer packs alone.
        if (workers_.empty()) stop_ = true;
    }
}

PackAhead::~PackAhead() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    claimable_.notify_all();
    for (std::thread& t : workers_) t.join();
}

bool PackAhead::MayClaim() const {
    if (nextClaim_ >= order_.size()) return false;
    // The file the writer waits for is always taken, whatever the budget holds.
    if (nextClaim_ == nextTake_) return true;
    const std::uint64_t size = order_[nextClaim_].size;
    return size > kLargeFile || inFlight_ + size <= kBudget;
}

void PackAhead::Work() {
    lha::WriterOptions options;
    options.threads = 1;  // the files are small; the workers are the parallelism
    lha::Packer packer(options);
    std::vector<unsigned char> buffer;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        claimable_.wait(lock, [this] { return stop_ || nextClaim_ >= order_.size() || MayClaim(); });
        if (stop_ || nextClaim_ >= order_.size()) return;
        const std::size_t k = nextClaim_++;
        const File& file = order_[k];
        const std::uint64_t listed = file.size;
        std::unique_ptr<lha::PackedData> data;
        if (listed <= kLargeFile) {
            slots_[k].reserved = listed;
            inFlight_ += listed;
            lock.unlock();
            try {
                if (ReadWhole(file.path, buffer)) {
                    data = std::make_unique<lha::PackedData>();
                    packer.pack(buffer.data(), buffer.size(), method_, *data);
                }
            } catch (...) {
                data.reset();  // out of memory, say: the writer tries again and reports it
            }
            lock.lock();
        }
        slots_[k].data = std::move(data);
        slots_[k].ready = true;
        ready_.notify_all();
    }
}

std::unique_ptr<lha::PackedData> PackAhead::Take(const PackItem& item) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (stop_ || nextTake_ >= order_.size() || order_[nextTake_].item != &item) return nullptr;
    Slot& slot = slots_[nextTake_];
    ready_.wait(lock, [&] { return slot.ready; });
    inFlight_ -= slot.reserved;
    ++nextTake_;
    claimable_.notify_all();
    return std::move(slot.data);
}

}  // namespace unlha
