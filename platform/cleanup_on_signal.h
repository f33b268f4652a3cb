// Temporary files must not outlive a process that a signal ends (Ctrl-C, a
// kill, the session closing) halfway through writing them. Writers register
// their temporaries here; the handler removes what is registered and then
// lets the signal end the process as it would have.
#pragma once

#include <string>

namespace lumaret {

// mkstemp(pattern), remembering the file it makes for removal on a signal;
// the ending signals wait meanwhile, so that none finds the file made and not
// yet remembered. Returns the descriptor, or -1 with errno set. slot is for
// ForgetTemporary, or -1 when the name could not be remembered (too long, or
// too many at once): writing goes on, only the clean-up is lost.
int MakeRegisteredTemporary(std::string& pattern, int& slot);

// The file of slot is gone or in its place: a signal must no longer remove it.
void ForgetTemporary(int slot);

// On SIGINT, SIGTERM and SIGHUP removes the registered temporaries and ends
// the process by that signal. A signal the process was started to ignore
// (nohup) stays ignored.
void RemoveTemporariesOnSignal();

}  // namespace lumaret
