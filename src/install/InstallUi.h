// What the installation asks and shows, and the only way it does. An
// interactive installation meets the user through the installer's dialogs;
// an unattended one takes each question's unattended answer and writes what
// it would have shown to its progress log, and fails when a step told of a
// failure.
#pragma once

#include <string>

#include "util/Outcome.h"

namespace mivox {

class InstallUi : public Conversation {
public:
    // A problem the user is not shown, since an interactive installation
    // goes on without it (a shortcut not made), but without which an
    // unattended one has not installed the product.
    virtual void Note(const Outcome& outcome) = 0;
    // Windows NT, and the account lacks administrator rights.
    virtual void RefuseRights() = 0;

    // The copy of the product's files, directory by directory; the fractions
    // are of the current directory and of the whole copy.
    virtual void BeginCopy() = 0;
    virtual void CopyingDir(const std::string& destination) = 0;
    virtual void CopyingFile(const std::string& name, long double dirDone, long double allDone) = 0;
    // False once the copy was cancelled.
    virtual bool CopyGoesOn() const = 0;
    virtual void EndCopy() = 0;

    // A step without a measure (the records, the shortcuts), shown until
    // EndStep; detail names its current part.
    virtual void BeginStep(const std::string& title) = 0;
    virtual void StepDetail(const std::string& detail) = 0;
    virtual void EndStep() = 0;

    // The product's registration, REGISTER.TXT going into appDir.
    virtual void Register(const std::string& version, const std::string& appDir) = 0;
    // A text file for the user to read (the release notes).
    virtual void ShowTextFile(const std::string& path) = 0;
};

}  // namespace mivox
