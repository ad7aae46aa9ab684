// Temporary files of the run: each is made new beside the file it will replace
// (never through a link), listed while it exists so that an interrupted run removes
// it, and left by a run that no longer exists only until its folder is next written.
#pragma once
#include <signal.h>

#include <string>

namespace plat {

// Creates a new file ".NAME.tmpPID_N" beside target, exclusively and never through
// a link (a name already taken, also by a planted link, is passed over), and lists
// it. Returns its descriptor and sets *path, or -1 with errno set.
int create_temp_file(const std::string& target, std::string* path);

// A listed temporary file beside target holding text, synced to the disk, in *path.
// On failure removes what it made and sets *error to the reason.
bool write_temp_file(const std::string& target, const std::string& text, std::string* path, std::string* error);

// What stands at target when it is something a file never replaces (a link, FIFO,
// device or folder), else null.
const char* not_replaceable(const std::string& target);

// The reason no file is written at target ("it is a FIFO, which is never replaced"),
// or empty when a regular file or nothing stands there. Every file the run replaces
// (graphs, the JSON file, output data sets and their metadata) is refused by it.
std::string replace_refusal(const std::string& target);

// Writes text to a new temporary file beside target and renames it into place, so that
// target is whole or as it was; a link, FIFO, device or folder at target is refused.
// The first file a process writes in a folder removes what dead runs left there.
// On failure sets *error to the reason (which follows "the file ... cannot be written: ").
bool replace_file(const std::string& target, const std::string& text, std::string* error);

// Syncs the folder that holds target, so that a rename into it outlasts a power cut.
// Returns false with errno set when the folder cannot be opened or synced.
bool sync_folder_of(const std::string& target);

// The list of temporary files that exist now.
void temp_files_add(const std::string& path);
void temp_files_remove(const std::string& path);

// Removes the temporary files in folder that runs no longer running left behind.
void remove_stale_temp_files(const std::string& folder);

// On SIGINT, SIGTERM and SIGHUP: remove the listed temporary files, write a closing
// line to the log (log_fd, -1 for none) and to standard error, and exit with 128 plus
// the signal's number. SIGXFSZ is ignored, so that a file-size limit is a write error.
void install_interrupt_handlers();
void set_interrupt_log(int log_fd);
// Whether a step runs now: the closing line says what an interrupt cut short.
void set_interrupt_in_step(bool running);
// An output data set of the running step took its place: the closing line then says
// that the ones the step closed were written.
void set_interrupt_output_placed();

// While one lives, SIGINT, SIGTERM and SIGHUP wait: files that only make sense
// together (a data set and its metadata) take their places between its making and its
// end, and an interrupt that came meanwhile is handled when it ends.
class interrupts_held {
 public:
  interrupts_held();
  ~interrupts_held();
  interrupts_held(const interrupts_held&) = delete;
  interrupts_held& operator=(const interrupts_held&) = delete;

 private:
  sigset_t before_;
};

}  // namespace plat
