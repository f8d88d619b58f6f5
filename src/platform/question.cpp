#include "platform/question.h"

#ifdef _WIN32

#include <windows.h>

FullscreenAnswer askFullscreen(const char* title, const char* text) {
    // No window exists yet, so the box has no owner.
    const int r = MessageBoxA(nullptr, text, title, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (r == IDCANCEL) return FullscreenAnswer::Cancel;
    if (r == IDNO) return FullscreenAnswer::No;
    return FullscreenAnswer::Yes;
}

#else

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/question_detail.h"

extern char** environ;

namespace {

// Exit statuses that the dialog gives for its three buttons.
constexpr int kYesStatus = 101;
constexpr int kNoStatus = 102;
constexpr int kCancelStatus = 103;

// Shows the question as a small X dialog (xmessage from x11-utils). Y, N and
// Escape choose like the buttons, Return chooses the default (Yes), and closing
// the box counts as Cancel. No answer at all means the dialog could not be
// shown (no X server, or no xmessage): the caller then asks elsewhere.
std::optional<FullscreenAnswer> askWithDialog(const char* title, const char* text) {
    const std::string keys =
        "#override\\n<Key>y: exit(101)\\n<Key>Y: exit(101)\\n<Key>n: exit(102)\\n<Key>N: exit(102)\\n"
        "<Key>Escape: exit(103)";
    const std::string shellKeys = std::string("xmessage.translations: ") + keys;
    const std::string allKeys = std::string("xmessage*translations: ") + keys;
    const std::string buttonKeys = std::string("xmessage*Command.translations: ") + keys +
                                   "\\n<EnterWindow>: highlight()\\n<LeaveWindow>: reset()"
                                   "\\n<Btn1Down>: set()\\n<Btn1Up>: notify() unset()";
    std::vector<std::string> args = {"xmessage",
                                     "-title",
                                     title,
                                     "-center",
                                     "-buttons",
                                     "Yes:101,No:102,Cancel:103",
                                     "-default",
                                     "Yes",
                                     "-xrm",
                                     shellKeys,
                                     "-xrm",
                                     allKeys,
                                     "-xrm",
                                     buttonKeys,
                                     "-xrm",
                                     "xmessage*background: #f6efe3",
                                     "-xrm",
                                     "xmessage*foreground: #3b2417",
                                     "-xrm",
                                     "xmessage*Command.background: #e8d6bd",
                                     "-xrm",
                                     "xmessage*message.borderWidth: 0",
                                     "-xrm",
                                     "xmessage*form.defaultDistance: 12",
                                     "-xrm",
                                     "xmessage*font: -*-helvetica-medium-r-normal--14-*-*-*-*-*-iso8859-1",
                                     text};
    const DialogResult result = runDialog(args);
    return interpretDialogResult(result);
}

}  // namespace

DialogResult runDialog(const std::vector<std::string>& args) {
    DialogResult result;
    int errPipe[2];
    if (pipe(errPipe) != 0) return result;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The dialog's chatter goes into our pipe, never onto the show's output.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    posix_spawn_file_actions_addclose(&actions, errPipe[1]);

    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(errPipe[1]);
    if (rc != 0) {
        close(errPipe[0]);
        return result;  // not started: no such program
    }
    result.started = true;

    char buffer[512];
    ssize_t n;
    while ((n = read(errPipe[0], buffer, sizeof buffer)) != 0) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (result.errors.size() < 4096) result.errors.append(buffer, static_cast<size_t>(n));
    }
    close(errPipe[0]);

    // Reap the child so that it never lingers as a zombie.
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return result;
    }
    result.exited = WIFEXITED(status);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::optional<FullscreenAnswer> interpretDialogResult(const DialogResult& result) {
    if (!result.started) return std::nullopt;
    if (result.exited && result.status == kYesStatus) return FullscreenAnswer::Yes;
    if (result.exited && result.status == kNoStatus) return FullscreenAnswer::No;
    if (result.exited && result.status == kCancelStatus) return FullscreenAnswer::Cancel;
    // A dialog that could not reach the display never showed the question.
    if (result.errors.find("Can't open display") != std::string::npos) return std::nullopt;
    if (result.exited && result.status == 127) return std::nullopt;
    // Anything else (the box closed by the window manager, or killed) is a Cancel.
    return FullscreenAnswer::Cancel;
}

std::optional<FullscreenAnswer> parseTerminalAnswer(const std::string& line) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size()) return FullscreenAnswer::Yes;  // Return alone takes the default
    switch (line[i]) {
        case 'y':
        case 'Y':
            return FullscreenAnswer::Yes;
        case 'n':
        case 'N':
            return FullscreenAnswer::No;
        case 'c':
        case 'C':
            return FullscreenAnswer::Cancel;
        default:
            return std::nullopt;
    }
}

FullscreenAnswer askOnTerminal(const char* title, const char* text, std::FILE* in, std::FILE* out) {
    for (;;) {
        std::fprintf(out, "%s %s [Y/n/c] ", title, text);
        std::fflush(out);
        std::string line;
        int c;
        while ((c = std::fgetc(in)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
        if (c == EOF && line.empty()) {
            std::fputc('\n', out);
            return FullscreenAnswer::Cancel;  // end of input: nobody wants the show
        }
        if (const std::optional<FullscreenAnswer> answer = parseTerminalAnswer(line)) return *answer;
    }
}

FullscreenAnswer askFullscreen(const char* title, const char* text) {
    const char* display = std::getenv("DISPLAY");
    if (display && *display) {
        if (const std::optional<FullscreenAnswer> answer = askWithDialog(title, text)) return *answer;
    }
    // The question on the terminal goes to standard error, so that standard
    // output carries only the show's own diagnostic lines.
    if (isatty(STDIN_FILENO)) return askOnTerminal(title, text, stdin, stderr);
    return FullscreenAnswer::No;
}

#endif
