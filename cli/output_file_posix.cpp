// Output files on Linux. The temporary file is made with O_EXCL in the
// output's folder (a name planted there, a symlink say, is never followed),
// with the mode a new file gets, or the replaced file's. Its name waits in
// a fixed buffer for the signal handler, which removes it, says so in one
// line and lets the signal end the program as it would have. The signals
// are held while the file is made and while it is renamed, so that the
// handler never finds a name that is not ours. A full disk, a file too
// large and a closed pipe come back as failed writes.
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/output_file.h"

namespace {

constexpr int kCaught[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kFolderCapacity = PATH_MAX;
constexpr int kNameCapacity = kFolderCapacity + 64;

struct Output {
    char **argv;
    const char *target;  // null for standard output
    bool force;
    int fd;
    OutputProblem writeProblem;
    struct stat replaced;
    bool replacing;
    const ByteSource *input;
};

Output g_output;
char g_temporaryName[kNameCapacity];
volatile sig_atomic_t g_temporaryExists;
char g_interruptLine[kNameCapacity + 64];
volatile sig_atomic_t g_interruptLineLength;

// An interrupt while writing is one more failure to write: the temporary
// file goes, one line says so, and the status is 1. Otherwise the signal
// does what it always does.
void RemoveTemporaryFile(int signalNumber) {
    if (g_temporaryExists) {
        unlink(g_temporaryName);
        g_temporaryExists = 0;
        const ssize_t ignored = write(STDERR_FILENO, g_interruptLine, g_interruptLineLength);
        (void)ignored;
        _exit(1);
    }
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void HoldSignals(bool hold, sigset_t &saved) {
    if (hold) {
        sigset_t caught;
        sigemptyset(&caught);
        for (int signalNumber : kCaught) {
            sigaddset(&caught, signalNumber);
        }
        sigprocmask(SIG_BLOCK, &caught, &saved);
    } else {
        sigprocmask(SIG_SETMASK, &saved, nullptr);
    }
}

void CatchSignals() {
    struct sigaction action = {};
    action.sa_handler = RemoveTemporaryFile;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kCaught) {
        sigaddset(&action.sa_mask, signalNumber);
    }
    for (int signalNumber : kCaught) {
        sigaction(signalNumber, &action, nullptr);
    }
    // As failed writes: a closed pipe, a file beyond RLIMIT_FSIZE.
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
}

OutputProblem ProblemOf(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
            return OutputProblem::kDenied;
        case ENOENT:
        case ENOTDIR:
            return OutputProblem::kNoFolder;
        case ENAMETOOLONG:
            return OutputProblem::kNameTooLong;
        case ENOSPC:
        case EDQUOT:
            return OutputProblem::kDiskFull;
        case EFBIG:
            return OutputProblem::kTooLarge;
        case EISDIR:
            return OutputProblem::kIsFolder;
        case EEXIST:
            return OutputProblem::kExists;
    }
    return OutputProblem::kFailed;
}

bool SameFile(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the output names the file being read (or standard input's).
bool IsInput(const Output &output) {
    struct stat target;
    struct stat input;
    // The console reads its files through their descriptors.
    const int fd = output.input != nullptr
                       ? static_cast<int>(reinterpret_cast<std::intptr_t>(output.input->context))
                       : STDIN_FILENO;
    return stat(output.target, &target) == 0 && fstat(fd, &input) == 0 && SameFile(target, input);
}

// The folder of the output, or the system's for standard output.
bool TemporaryFolder(const Output &output, char (&folder)[kFolderCapacity]) {
    const char *path = output.target;
    if (path == nullptr) {
        const char *temporary = std::getenv("TMPDIR");
        path = temporary != nullptr && temporary[0] != '\0' ? temporary : "/tmp";
        return std::snprintf(folder, kFolderCapacity, "%s/", path) < kFolderCapacity;
    }
    const char *slash = std::strrchr(path, '/');
    const int length = slash == nullptr ? 0 : static_cast<int>(slash - path) + 1;
    return std::snprintf(folder, kFolderCapacity, "%.*s", length, path) < kFolderCapacity;
}

OutputProblem MakeTemporaryFile(Output &output) {
    char folder[kFolderCapacity];
    if (!TemporaryFolder(output, folder)) {
        return OutputProblem::kNameTooLong;
    }
    const mode_t mode = output.replacing ? output.replaced.st_mode & 0777 : 0666;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        sigset_t saved;
        HoldSignals(true, saved);
        std::snprintf(g_temporaryName, kNameCapacity, "%s.tactimer-%ld-%u.tmp", folder,
                      static_cast<long>(getpid()), attempt);
        output.fd = open(g_temporaryName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        const int error = errno;
        g_temporaryExists = output.fd >= 0;
        HoldSignals(false, saved);
        if (output.fd >= 0) {
            // The replaced file's mode, whatever the umask.
            if (output.replacing) {
                fchmod(output.fd, mode);
            }
            return OutputProblem::kNone;
        }
        if (error != EEXIST) {
            return ProblemOf(error);
        }
    }
    return OutputProblem::kFailed;
}

void PrepareInterruptLine(const Output &output) {
    const int length = std::snprintf(g_interruptLine, sizeof g_interruptLine,
                                     "tactimer-cli: interrupted: %s was left as it was\n",
                                     output.target != nullptr ? output.target : "nothing");
    g_interruptLineLength = length < static_cast<int>(sizeof g_interruptLine)
                                ? length
                                : static_cast<int>(sizeof g_interruptLine) - 1;
}

OutputProblem Begin(void *context, const OutputTarget &target, ByteSink &sink);

bool WriteAt(void *, long long offset, const unsigned char *bytes, long count) {
    Output &output = g_output;
    while (count > 0) {
        const ssize_t written = pwrite(output.fd, bytes, static_cast<size_t>(count), offset);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            output.writeProblem = written < 0 ? ProblemOf(errno) : OutputProblem::kDiskFull;
            return false;
        }
        bytes += written;
        count -= written;
        offset += written;
    }
    return true;
}

bool SetLength(void *, long long length) {
    if (ftruncate(g_output.fd, length) != 0) {
        g_output.writeProblem = ProblemOf(errno);
        return false;
    }
    return true;
}

void RemoveTemporary() {
    Output &output = g_output;
    if (output.fd >= 0) {
        close(output.fd);
        output.fd = -1;
    }
    sigset_t saved;
    HoldSignals(true, saved);
    if (g_temporaryExists) {
        unlink(g_temporaryName);
        g_temporaryExists = 0;
    }
    HoldSignals(false, saved);
}

OutputProblem Begin(void *context, const OutputTarget &target, ByteSink &sink) {
    Output &output = g_output;
    char **argv = static_cast<char **>(context);
    output.target =
        target.argumentIndex < 0 ? nullptr : argv[target.argumentIndex + 1] + target.argumentSkip;
    output.force = target.force;
    output.input = target.input;
    output.fd = -1;
    output.writeProblem = OutputProblem::kNone;
    output.replacing = false;
    if (output.target == nullptr) {
        if (isatty(STDOUT_FILENO)) {
            return OutputProblem::kTerminal;
        }
    } else if (lstat(output.target, &output.replaced) == 0) {
        if (IsInput(output)) {
            return OutputProblem::kIsInput;
        }
        if (S_ISDIR(output.replaced.st_mode)) {
            return OutputProblem::kIsFolder;
        }
        if (!output.force) {
            return OutputProblem::kExists;
        }
        output.replacing = S_ISREG(output.replaced.st_mode);
    } else if (errno != ENOENT) {
        return ProblemOf(errno);
    }
    PrepareInterruptLine(output);
    CatchSignals();
    const OutputProblem problem = MakeTemporaryFile(output);
    sink = {&output, WriteAt, SetLength};
    return problem;
}

// Standard output gets the temporary file's bytes.
OutputProblem CopyToStandardOutput(Output &output) {
    static unsigned char buffer[1 << 16];
    for (off_t offset = 0;;) {
        const ssize_t read = pread(output.fd, buffer, sizeof buffer, offset);
        if (read < 0 && errno == EINTR) {
            continue;
        }
        if (read <= 0) {
            return read == 0 ? OutputProblem::kNone : ProblemOf(errno);
        }
        for (ssize_t done = 0; done < read;) {
            const ssize_t written = write(STDOUT_FILENO, buffer + done, read - done);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return written < 0 ? ProblemOf(errno) : OutputProblem::kFailed;
            }
            done += written;
        }
        offset += read;
    }
}

// Only a file that was written in full, to the disk, takes the output's
// name; without --force, never over a file that came there meanwhile.
OutputProblem PutInPlace(Output &output) {
    if (IsInput(output)) {
        return OutputProblem::kIsInput;
    }
    sigset_t saved;
    HoldSignals(true, saved);
    int renamed = output.force ? rename(g_temporaryName, output.target)
                               : renameat2(AT_FDCWD, g_temporaryName, AT_FDCWD, output.target,
                                           RENAME_NOREPLACE);
    // A file system that cannot refuse to replace: check, then rename.
    if (renamed != 0 && !output.force && (errno == EINVAL || errno == ENOSYS)) {
        struct stat existing;
        renamed = lstat(output.target, &existing) == 0 ? (errno = EEXIST, -1)
                                                       : rename(g_temporaryName, output.target);
    }
    const int error = errno;
    g_temporaryExists = renamed != 0;
    HoldSignals(false, saved);
    if (renamed != 0) {
        return ProblemOf(error);
    }
    // The rename itself to the disk.
    char folder[kFolderCapacity];
    TemporaryFolder(output, folder);
    const int folderFd = open(folder[0] != '\0' ? folder : ".", O_RDONLY | O_DIRECTORY);
    if (folderFd >= 0) {
        fsync(folderFd);
        close(folderFd);
    }
    return OutputProblem::kNone;
}

OutputProblem Commit(void *) {
    Output &output = g_output;
    OutputProblem problem = OutputProblem::kNone;
    if (fsync(output.fd) != 0) {
        problem = ProblemOf(errno);
    } else if (output.target == nullptr) {
        problem = CopyToStandardOutput(output);
    }
    if (close(output.fd) != 0 && problem == OutputProblem::kNone) {
        problem = ProblemOf(errno);
    }
    output.fd = -1;
    if (problem == OutputProblem::kNone && output.target != nullptr) {
        problem = PutInPlace(output);
    }
    RemoveTemporary();
    return problem;
}

OutputProblem Abandon(void *) {
    RemoveTemporary();
    return g_output.writeProblem;
}

}  // namespace

OutputFiles ConsoleOutputFiles(char **argv) {
    return {argv, Begin, Commit, Abandon};
}
