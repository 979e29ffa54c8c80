// Everything the plug-in says to the user: message boxes in two languages and
// console lines with the plug-in's prefix.
#pragma once

namespace common {

enum class Message {
  DocumentNotSaved,
  BridgeExportMissing,
  BridgeNotLoadable,
  ConnectExportMissing,
  RendererNotFound,  // result code 1: the renderer's installation was not found
  FolderAccepted,
  FolderRejected,
  RendererNotOpen,          // 2
  RendererVersionOutdated,  // 3
  RendererBusy,             // 4
  RendererUpdating,         // 5
  CancelledByUser,          // 6
  UnknownIssue,             // 7
  NetworkError,             // 8
  NoModelToUpdate,
  NewVersionPublished,
  Count  // not a message: how many there are
};

// Message-box flags used by the plug-in.
constexpr unsigned kFlagsOk = 0;
constexpr unsigned kFlagsOkCancel = 1;
constexpr unsigned kFlagsOkCancelInformation = 0x41;
constexpr unsigned kFlagsSystemModal = 0x1000;

// The button value the host returns for OK.
constexpr int kButtonOk = 1;

// The language id that selects the Simplified Chinese texts.
constexpr int kChineseLanguageId = 2052;

struct MessageText {
  const wchar_t* english;
  const wchar_t* chinese;
  const wchar_t* caption;
  unsigned flags;
  bool withOwner;  // the host's four-argument form, owner window null
};

// The fixed words, caption and flags of a message.
const MessageText& TextOf(Message message);

// The text for a language id: Chinese for 2052, English otherwise.
const wchar_t* TextFor(const MessageText& text, int languageId);

// Shows the message, choosing its language anew; returns the button pressed.
int ShowMessage(Message message);

// Prints "OrvexConverter: " and the text on the host's console. The text is
// handed on as a format, so it must hold no percent sign.
void PrintConsole(const char* text);

}  // namespace common
