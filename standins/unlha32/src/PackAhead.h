// Packs the files of one command ahead of the archive writer, on worker threads with one
// lha::Packer each, so that a tree of many small files is packed on every core. The writer takes
// the results in the order it adds the entries; a file is packed exactly as lha::Writer::add_file
// would pack it, so the archive is the same whatever the number of threads.
//
// Workers only take files up to kLargeFile: a larger one is left to the writer, which streams it
// on threads of the codec's own while the workers go on with the files after it. A file a worker cannot open
// or read whole is left to the writer too, which opens it again and reports what goes wrong at its place in
// the order.
#pragma once

#include <lha/lha.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace unlha {

struct PackItem;

class PackAhead {
  public:
    static constexpr std::uint64_t kLargeFile = 256 << 10;
    // Input bytes taken by workers and not yet by the writer; with the packed output waiting,
    // the encoders and a large file streamed meanwhile, the process stays well below 64 MiB.
    static constexpr std::uint64_t kBudget = 2 << 20;

    // `order`: every file item in the order the writer adds them (what the workers need of them
    // is copied). Starts the workers.
    PackAhead(std::vector<const PackItem*> order, lha::Method method, int threads);
    // Stops the workers and waits for them (a cancel or an error may leave files untaken).
    ~PackAhead();
    PackAhead(const PackAhead&) = delete;
    PackAhead& operator=(const PackAhead&) = delete;

    // Waits for the packed data of `item`, which must be the next in the order; null when the
    // writer is to pack the item itself (a large or unreadable file, or not the next one).
    std::unique_ptr<lha::PackedData> Take(const PackItem& item);

    // Threads used when the caller asks for 0: the cores this process may run on.
    static int DefaultThreads();

  private:
    // What a worker needs of an item, copied: the items belong to the caller.
    struct File {
        const PackItem* item;  // compared in Take, never followed by a worker
        std::string path;
        std::uint64_t size;
    };
    struct Slot {
        std::unique_ptr<lha::PackedData> data;
        std::uint64_t reserved = 0;  // counted in inFlight_ from claim to take
        bool ready = false;
    };
    void Work();
    bool MayClaim() const;

    std::vector<File> order_;
    const lha::Method method_;
    std::vector<Slot> slots_;
    std::mutex mutex_;
    std::condition_variable claimable_, ready_;
    std::size_t nextClaim_ = 0, nextTake_ = 0;
    std::uint64_t inFlight_ = 0;
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace unlha
