// ShellExecuteW: web addresses and files open with the desktop's programs.
#include <QDesktopServices>
#include <QUrl>

#include "qtwindows.h"
#include "shellapi.h"

namespace {
constexpr ULONG_PTR kShellOk = 33;
constexpr ULONG_PTR kShellFailed = 2;  // file not found, as the shell reports
}  // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR, LPCWSTR file, LPCWSTR, LPCWSTR, INT) {
  if (file == nullptr || !pelvarhost::gui::HaveGuiApplication())
    return reinterpret_cast<HINSTANCE>(kShellFailed);
  QString target = QString::fromWCharArray(file);
  QUrl url = target.contains(QStringLiteral("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
  return reinterpret_cast<HINSTANCE>(QDesktopServices::openUrl(url) ? kShellOk : kShellFailed);
}
