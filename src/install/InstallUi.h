// What the installation asks and shows. An interactive installation meets
// the user through the installer's dialogs; an unattended one answers every
// question from a preset table and writes what it would have shown to its
// progress log.
#pragma once

#include <string>

namespace mivox {

// The installation's yes/no questions.
enum class Question {
    kBegin,        // "Ready to begin installation"
    kMdfFloppy,    // copy measurement data files from A:
    kAllUsers,     // shortcuts for all users rather than the current one
    kDesktopCopy,  // a copy of the group on the desktop
    kRestart,      // restart Windows now
};

class InstallUi {
public:
    virtual ~InstallUi() = default;
    virtual bool Ask(Question question, const std::string& top, const std::string& bottom) = 0;
    // A check refused the installation before anything was changed.
    virtual void Refuse(const std::string& caption, const std::string& reason) = 0;
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
