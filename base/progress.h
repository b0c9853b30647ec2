#pragma once
// Shared progress state: the core sets the two values and calls UpdateProgress, which puts them on the
// progress bar (the window repaints it at once; karovel-rmp draws a text bar; tests record the values).
#include <cstdint>
#include <functional>

namespace karovel {

struct Progress {
  int32_t progressPercent = 0;
  bool progressVisible = false;
  std::function<void(int32_t percent, bool visible)> show;  // may be empty: nothing to show

  void UpdateProgress() const {
    if (show) show(progressPercent, progressVisible);
  }
};

// Stages the image loader reports while it decodes.
enum class LoadStage { Starting, Running, Ending };
using ImageLoadProgressFn = std::function<void(LoadStage stage, int percent)>;

}  // namespace karovel
