#include "common/messages.h"

#include <cstddef>
#include <iterator>
#include <string>

#include "RhinoSdk.h"
#include "platform/platform.h"

namespace common {
namespace {

constexpr const wchar_t* kError = L"error";

// Each message with its texts, in the order of the enum (checked below).
struct Entry {
  Message message;
  MessageText text;
};

constexpr Entry kTexts[] = {
    {Message::DocumentNotSaved,
     {L"Please save current file and retry", L"请保存当前文件后重试", L"Orvex Converter", kFlagsOk,
      false}},
    {Message::BridgeExportMissing,
     {L"Get dll func error", L"获取dll函数失败,请检查dll文件的正确性", kError, kFlagsOk, true}},
    {Message::BridgeNotLoadable,
     {L"Dll error for initting the  handle",
      L"Dll句柄加载失败,请检查您的插件目录下是否存在OrvexPlugin.dll文件,"
      L"如不存在请尝试将插件卸载后重新安装",
      kError, kFlagsOk, true}},
    // English in every language.
    {Message::ConnectExportMissing,
     {L"null ptr for fun connect", L"null ptr for fun connect", kError, kFlagsOkCancel, true}},
    {Message::RendererNotFound,
     {L"Failed to start the Orvex Render! Failed to find the Orvex Render installation path. "
      L"Click OK to manually specify the installation directory.",
      L"启动Orvex渲染器失败! 未能找到Orvex渲染器安装路径。点击\"确定\"手动指定安装目录。", kError,
      kFlagsOkCancel, true}},
    {Message::FolderAccepted,
     {L"The installation directory was successfully specified. Please try again.",
      L"成功指定安装目录。请重试。", L"", kFlagsOk, true}},
    {Message::FolderRejected,
     {L"This path is incorrect!", L"此安装路径不正确!", kError, kFlagsOk, true}},
    {Message::RendererNotOpen,
     {L"The Orvex Render is not opening", L"未开启Orvex渲染器", kError, kFlagsOk, true}},
    {Message::RendererVersionOutdated,
     {L"Please install the latest version of Orvex Render", L"版本不支持", kError, kFlagsOk, true}},
    {Message::RendererBusy,
     {L"Please retry after exit rendering mode or finish the rendering within Orvex Render",
      L"渲染器正在工作中,请稍后重试", kError, kFlagsOk, true}},
    {Message::RendererUpdating,
     {L"Please retry after Orvex Render finish update", L"渲染器正在升级,请升级完成后重试", kError,
      kFlagsOk, true}},
    // The renderer gives no English words for it; ours are plain.
    {Message::CancelledByUser, {L"Cancelled by the user.", L"用户取消", kError, kFlagsOk, true}},
    {Message::UnknownIssue,
     {L"Unknown issue, please contact the developer", L"未知错误", kError, kFlagsOk, true}},
    {Message::NetworkError,
     {L"Network error, please check the status of network connection", L"网络错误", kError,
      kFlagsOk, true}},
    {Message::NoModelToUpdate,
     {L"null ptr of model", L"未找到建立连接的模型,请尝试开启连接后进行更新.", kError,
      kFlagsSystemModal, true}},
    {Message::NewVersionPublished,
     {L" Orvex Converter has a new version! \n\n Please click OK to download.",
      L" 有新的Orvex转换器版本可用！ \n\n 请点击OK前往下载", L"Orvex Converter",
      kFlagsOkCancelInformation, false}},
};

constexpr bool InEnumOrder() {
  for (std::size_t i = 0; i < std::size(kTexts); ++i)
    if (kTexts[i].message != static_cast<Message>(i)) return false;
  return true;
}
static_assert(std::size(kTexts) == static_cast<std::size_t>(Message::Count) && InEnumOrder(),
              "one entry per message, in the order of the enum");

}  // namespace

const MessageText& TextOf(Message message) { return kTexts[static_cast<int>(message)].text; }

const wchar_t* TextFor(const MessageText& text, int languageId) {
  return languageId == kChineseLanguageId ? text.chinese : text.english;
}

int ShowMessage(Message message) {
  const MessageText& text = TextOf(message);
  const wchar_t* words = TextFor(text, platform::SystemDefaultLanguageId());
  if (text.withOwner) return RhinoMessageBox(nullptr, words, text.caption, text.flags);
  return RhinoMessageBox(words, text.caption, text.flags);
}

void PrintConsole(const char* text) {
  const std::string line = std::string("OrvexConverter: ") + text;
  RhinoApp().Print(line.c_str());
}

}  // namespace common
