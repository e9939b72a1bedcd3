// The few boxes the medium's small programs (the archive program and the
// disk set joiner) show their user. Plain character arrays: the joiner does
// without the C++ library.
#pragma once

#include <stddef.h>

namespace mivox::simple_ui {

constexpr size_t kPathSize = 260;

// A task-modal box without owner window; returns the button pressed.
int Say(const char* caption, const char* text, unsigned style);

// The system's text for an error code, in text (at least 256 characters).
const char* SystemErrorText(unsigned long code, char (&text)[256]);

// Offers proposal in a Yes/No/Cancel box (question above it); No lets the
// user browse for another folder. False when the user cancels; otherwise
// folder holds the chosen folder.
bool ChooseFolder(const char* caption, const char* question, const char* proposal,
                  const char* browseTitle, char (&folder)[kPathSize]);

}  // namespace mivox::simple_ui
