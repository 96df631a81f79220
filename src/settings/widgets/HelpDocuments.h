#pragma once

#include <QString>

class QUrl;

namespace kalvo {

// Where the shipped documents live: in folders beside the program file, whatever the working
// folder is when the program starts.
inline constexpr const char* helpFolderName = "help/";
inline constexpr const char* helpContentsTopic = "About.htm";
inline constexpr const char* tutorialNewEvent = "Demos/NewEvent.htm";
inline constexpr const char* tutorialModifyEvent = "Demos/ModifyEvent.htm";
inline constexpr const char* tutorialApplyToFuture = "Demos/ApplyToFuture.htm";

// The maker's addresses. The "example" domain is reserved, so these can never reach a
// stranger before the real addresses are known.
inline constexpr const char* webSiteAddress = "https://www.example.com/kalvo-planner";
inline constexpr const char* supportMailAddress = "mailto:support@example.com";

// The folder of the shipped documents and the starter database, with its trailing separator:
// the program's own folder when they are beside the program file (the build tree, a portable
// copy), else <prefix>/share/kalvo-planner of an installed program.
QString programDocumentsFolder();

// The program folder with its trailing separator, followed by `relativeName` unchanged (its
// forward slashes included).
QString programDocumentPath(const QString& programFolder, const QString& relativeName);

// Hands a local document to the desktop's handler for its kind. Whether it could be opened is
// not reported: a missing document or handler is left to the desktop.
void openDocument(const QString& path);

// The maker's web site in the user's web browser (KalvoPlannerWebSite1Click).
void openWebSite();

// A new message to the maker's support address in the user's mail program
// (SendEMailtoSupport1Click).
void sendMailToSupport();

}  // namespace kalvo
