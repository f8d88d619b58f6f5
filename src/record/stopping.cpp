#include "record/stopping.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

volatile sig_atomic_t stopSignal = 0;

namespace {

// The copy in a plain array is for the fault handler, which may not touch a
// string.
std::string part;
char partForFaults[4096];

void onSignal(int sig) {
    if (!stopSignal) stopSignal = sig;
}

// The terminal's (Ctrl-C, Ctrl-\, a hang-up), kill's, a timer's, a limit's.
std::vector<int> stopSignals() {
    std::vector<int> all = {SIGHUP,  SIGINT,    SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM,
                            SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ, SIGIO,   SIGPWR};
#ifdef SIGSTKFLT
    all.push_back(SIGSTKFLT);
#endif
    for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) all.push_back(s);
    return all;
}
std::vector<int> caughtSignals;

// A fault happens again as the handler returns, a sent signal is sent again:
// either then does what it did before (the default, or a sanitizer's report).
const int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS};
constexpr size_t kFaultCount = sizeof kFaultSignals / sizeof kFaultSignals[0];
struct sigaction faultBefore[kFaultCount];
void onFault(int sig, siginfo_t* info, void*) {
    if (partForFaults[0]) ::unlink(partForFaults);
    for (size_t i = 0; i < kFaultCount; ++i)
        if (kFaultSignals[i] == sig) sigaction(sig, &faultBefore[i], nullptr);
    if (info->si_code <= 0) raise(sig);
}

}  // namespace

void catchStopSignals() {
    if (caughtSignals.empty())
        for (int sig : stopSignals()) {
            struct sigaction old {};
            if (sigaction(sig, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL)
                continue;
            caughtSignals.push_back(sig);
        }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : caughtSignals) sigaction(sig, &action, nullptr);
}

void catchFaults() {
    struct sigaction action {};
    action.sa_sigaction = onFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;  // a sanitizer's stack for an overflow, where it has one
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < kFaultCount; ++i) {
        sigaction(kFaultSignals[i], nullptr, &faultBefore[i]);
        if (!(faultBefore[i].sa_flags & SA_SIGINFO) && faultBefore[i].sa_handler == SIG_IGN) continue;
        sigaction(kFaultSignals[i], &action, nullptr);
    }
}

const char* signalName(int sig) {
    static const struct {
        int sig;
        const char* name;
    } names[] = {{SIGHUP, "SIGHUP"},   {SIGINT, "SIGINT"},     {SIGQUIT, "SIGQUIT"}, {SIGTERM, "SIGTERM"},
                 {SIGUSR1, "SIGUSR1"}, {SIGUSR2, "SIGUSR2"},   {SIGPIPE, "SIGPIPE"}, {SIGALRM, "SIGALRM"},
                 {SIGVTALRM, "SIGVTALRM"}, {SIGPROF, "SIGPROF"}, {SIGXCPU, "SIGXCPU"}, {SIGXFSZ, "SIGXFSZ"},
                 {SIGIO, "SIGIO"},     {SIGPWR, "SIGPWR"}};
    for (const auto& n : names)
        if (n.sig == sig) return n.name;
    static char other[32];
    if (sig >= SIGRTMIN && sig <= SIGRTMAX) std::snprintf(other, sizeof other, "SIGRTMIN+%d", sig - SIGRTMIN);
    else std::snprintf(other, sizeof other, "signal %d", sig);
    return other;
}

void setPartPath(const std::string& path) {
    part = path;
    const size_t n = path.size() < sizeof partForFaults ? path.size() : 0;
    std::memcpy(partForFaults, path.data(), n);
    partForFaults[n] = '\0';
}

const std::string& partPath() { return part; }

void removePart() {
    if (!part.empty()) ::unlink(part.c_str());
}
