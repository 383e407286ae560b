// Creates the folders an extraction needs and remembers which ones it made, so that a failed
// extraction can take them away again and leave the destination as it found it.
#pragma once

#include <string>
#include <vector>

namespace unlha {

class DirectoryMaker {
  public:
    DirectoryMaker() = default;
    ~DirectoryMaker();
    DirectoryMaker(const DirectoryMaker&) = delete;
    DirectoryMaker& operator=(const DirectoryMaker&) = delete;

    // Makes path (a full path) and its missing parents. Throws UnlhaError(UNLHA_ERR_WRITE) when
    // a part exists as a file or cannot be made.
    void Ensure(const std::string& path);
    // The folders stay.
    void Keep() { made_.clear(); }

  private:
    std::vector<std::string> made_;
};

}  // namespace unlha
