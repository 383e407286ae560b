// What a run step is handed besides its data: the log it reports to and the stop callback.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "StringLists.h"

namespace ostra {

// Takes the lines of a run's log one by one, as they are written: the window program shows each
// at once (a long pack starts after its "アーカイブファイルの作成開始..." is on the screen).
class TLogSink {
  public:
    virtual ~TLogSink() = default;
    virtual void AddLine(const std::string& line) = 0;
};

// The log of a run step: none, a list of lines, or a sink. A step only appends to it, never reads
// or clears it. It refers to the caller's list or sink, which must outlive the step.
class TLog {
  public:
    TLog() = default;
    TLog(std::nullptr_t) {}
    TLog(TStrings* lines) : Lines_(lines) {}
    TLog(TLogSink* sink) : Sink_(sink) {}

    explicit operator bool() const { return Lines_ || Sink_; }
    void Add(const std::string& line) const {
        if (Lines_)
            Lines_->push_back(line);
        else if (Sink_)
            Sink_->AddLine(line);
    }

  private:
    TStrings* Lines_ = nullptr;
    TLogSink* Sink_ = nullptr;
};

}  // namespace ostra

// Called before every item of a run step; setting the flag to true stops the step at once.
using TCheckStopEvent = std::function<void(bool& stop)>;
