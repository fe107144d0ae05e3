#include "editor/background_job.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace quarry {

namespace {

// One record per line: a kind letter, then the text with "\n" kept out.
void WriteRecord(int fd, char kind, const std::string& text) {
  std::string line(1, kind);
  for (char c : text) line += c == '\n' ? ' ' : c;
  line += '\n';
  for (size_t done = 0; done < line.size();) {
    ssize_t n = write(fd, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace

bool TBackgroundJob::Start(const Work& work) {
  if (Running()) return false;
  int fds[2];
  if (pipe(fds) != 0) return false;
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid == 0) {
    // An editor that ends without stopping the job (a closed window) takes
    // the job with it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    close(fds[0]);
    const TJobResult result = work([&](const std::string& text) { WriteRecord(fds[1], 'P', text); });
    WriteRecord(fds[1], 'M', result.Moves);
    WriteRecord(fds[1], 'R', result.Message);
    close(fds[1]);
    // The parent's exit handlers (the log, the display) are not the child's.
    _exit(0);
  }
  close(fds[1]);
  fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
  child_ = pid;
  pipe_ = fds[0];
  buffer_.clear();
  progress_.clear();
  result_ = {};
  haveResult_ = false;
  return true;
}

std::optional<TJobResult> TBackgroundJob::Poll(bool wait) {
  if (!Running()) return std::nullopt;
  char chunk[4096];
  bool ended = false;
  for (;;) {
    const ssize_t n = read(pipe_, chunk, sizeof chunk);
    if (n > 0) {
      buffer_.append(chunk, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN && wait) {
      pollfd ready{pipe_, POLLIN, 0};
      poll(&ready, 1, -1);
      continue;
    }
    ended = n == 0;  // the child closed its end: everything has been read
    break;
  }
  for (size_t end; (end = buffer_.find('\n')) != std::string::npos; buffer_.erase(0, end + 1)) {
    const std::string text = buffer_.substr(1, end - 1);
    if (buffer_[0] == 'P') progress_ = text;
    if (buffer_[0] == 'M') result_.Moves = text;
    if (buffer_[0] == 'R') result_.Message = text, haveResult_ = true;
  }
  if (!ended) return std::nullopt;
  Stop();
  if (!haveResult_) result_ = {"the check ended without an answer", ""};
  return result_;
}

void TBackgroundJob::Stop() {
  if (child_ > 0) {
    kill(child_, SIGKILL);
    waitpid(child_, nullptr, 0);
  }
  child_ = -1;
  if (pipe_ >= 0) close(pipe_);
  pipe_ = -1;
}

}  // namespace quarry
