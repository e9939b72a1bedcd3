// The few boxes the medium's small programs (the archive program and the
// disk set joiner) show their user.
#pragma once

#include <string>

namespace mivox::simple_ui {

// A task-modal box without owner window; returns the button pressed.
int Say(const std::string& caption, const std::string& text, unsigned style);

// The system's text for an error code.
std::string SystemErrorText(unsigned long code);

// Offers proposal in a Yes/No/Cancel box (question above it); No lets the
// user browse for another folder. The empty text when the user cancels.
std::string ChooseFolder(const std::string& caption, const std::string& question,
                         const std::string& proposal, const std::string& browseTitle);

}  // namespace mivox::simple_ui
