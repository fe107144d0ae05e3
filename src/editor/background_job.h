// A check that runs beside the editor while its frames go on. The work runs
// in a child process: the game's rules keep their state in globals (the held
// keys, the random generator) that the editor's own frames use at the same
// time, and a process also ends at once when the author stops waiting.
// The child reports progress and its result through a pipe; the frame loop
// polls without blocking.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>

namespace quarry {

struct TJobResult {
  std::string Message;
  std::string Moves;  // a found solution, empty for none
};

class TBackgroundJob {
public:
  using Progress = std::function<void(const std::string&)>;
  using Work = std::function<TJobResult(const Progress&)>;

  TBackgroundJob() = default;
  ~TBackgroundJob() { Stop(); }
  TBackgroundJob(const TBackgroundJob&) = delete;
  TBackgroundJob& operator=(const TBackgroundJob&) = delete;

  // Starts the work unless a job is running; false then or when no process
  // could be started.
  bool Start(const Work& work);
  bool Running() const { return child_ > 0; }
  // Reads what the child has written so far; when it has ended, its result
  // (a child that ended without one reports that). With wait, blocks until
  // the child has ended: scripted runs take the answer at a fixed frame.
  std::optional<TJobResult> Poll(bool wait = false);
  const std::string& ProgressText() const { return progress_; }
  // Ends a running job at once.
  void Stop();

private:
  pid_t child_ = -1;
  int pipe_ = -1;
  std::string buffer_, progress_;
  TJobResult result_;
  bool haveResult_ = false;
};

}  // namespace quarry
