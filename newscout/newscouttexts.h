// The version checker's own text numbers and the rules that build its dialog texts.
#pragma once

#include <string>
#include <string_view>

#include "newscout/newscoutdate.h"

// Numbers of the texts in the version checker's catalog that the dialogs use.
namespace NsText {
constexpr int kAboutItem = 101;
constexpr int kServerError = 4210;
constexpr int kInfoFileTooLarge = 4211;
constexpr int kFirstTime = 5000;
constexpr int kCaption = 8000;
constexpr int kAboutCaption = 8001;
constexpr int kOk = 8002;
constexpr int kYes = 8003;
constexpr int kNo = 8004;
constexpr int kCancel = 8005;
constexpr int kOptionsGroup = 8010;
constexpr int kAutoCheck = 8011;
constexpr int kOnceADay = 8012;  // then a week, a month
constexpr int kConnectModeAsk = 8015;  // then modes 1 and 2
constexpr int kStatusGroup = 8018;
constexpr int kLastChecked = 8019;
constexpr int kDetectNow = 8020;
constexpr int kVisitPage = 8021;
constexpr int kExit = 8022;
constexpr int kNewVersion = 8030;
constexpr int kVersionInsert = 8031;
constexpr int kVisitPageButton = 8032;
constexpr int kDoNotAlert = 8033;
constexpr int kConnectPrompt = 8040;
constexpr int kConnect = 8041;
constexpr int kNotNow = 8042;
constexpr int kNotToday = 8043;
constexpr int kOptions = 8044;
constexpr int kVersion = 8050;
constexpr int kMakerLine1 = 8051;
constexpr int kMakerLine2 = 8052;
constexpr int kServerLogin = 8060;
constexpr int kProxyLogin = 8061;
constexpr int kUserName = 8062;
constexpr int kPassword = 8063;
constexpr int kTimedOut = 8070;
constexpr int kNotWebAddress = 8071;
constexpr int kRedirectNotFollowed = 8076;
constexpr int kDownloadPage = 8080;
constexpr int kConsoleCloses = 8081;
constexpr int kCancelled = 8082;
constexpr int kProfileNotAFile = 8090;
constexpr int kProfileNotOpened = 8091;
constexpr int kProfileDamaged = 8092;
constexpr int kProfileOtherKey = 8093;
constexpr int kProfileNotFound = 8094;
constexpr int kProfileTooLarge = 8095;
constexpr int kUsage = 8100;
constexpr int kProgramVersion = 8101;
}  // namespace NsText

std::string NsCatalogText(int id);

// Every "Halvora" in a caption becomes the product's name, when it has one.
std::string ApplyCaptionRule(std::string caption, const std::string& productName);
// A control text without its accelerator marks, for printing.
std::string StripAccelerator(std::string_view text);

// Text from a server or a profile as it may be shown: invalid UTF-8 replaced,
// control characters (escape sequences begin with one) and direction
// overrides removed, tabs made blanks; line breaks stay when asked for.
std::string DisplayableText(std::string_view text, bool keepLineBreaks = false);
// Whether the text is printable as it stands: valid UTF-8 without control characters.
bool IsPrintableText(std::string_view text);
// At most `maxChars` characters, the cut marked with an ellipsis.
std::string ShortenedText(std::string_view text, std::size_t maxChars);

std::string NewVersionText(const std::string& serverHost, const std::string& productName,
                           const std::string& serverVersion);
std::string ConnectPromptText(const std::string& serverHost, const std::string& productName);

// The period list: 0 once a day, 1 a week, 2 a month.
int PeriodIndex(const std::string& period);
std::string PeriodLetter(int index);

// The last check in the user's date and time format, or the first-time text.
std::string LastRunText(const CNewscoutDate& lastRun);

// "%d.%d.%d.%d" from a dotted version such as "1.0.0"; "0.1" when there is none.
std::string FileVersionText(std::string_view version);
std::string BuildVersionText();  // this program's
std::string BuildDateText();     // "Mmm dd yyyy hh:mm:ss" of this build
