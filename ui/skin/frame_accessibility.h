#pragma once

#include <QString>
#include <QtGlobal>

namespace lanzhou::skin {

class FramedWindow;
enum class CaptionButton;

// What the frame draws itself, made visible to assistive technology: the
// accessible interface of a framed window gets, before its widgets, one child
// per visible caption button (role Button) and tab (role PageTab), left to
// right, and the status bar (role StatusBar, named by its text) when there is
// one. Buttons and tabs have the press action, which does what a click does
// (queued: a press may close the window).
namespace frame_accessibility {

// Called by the framed window when it starts and stops framing its window.
void expose(FramedWindow& framed);
void withdraw(FramedWindow& framed);

// Tell assistive technology that has read the element: the status text
// changed (NameChanged), the tab at `index` was selected (Selection).
void statusTextChanged(FramedWindow& framed);
void tabSelected(FramedWindow& framed, qsizetype index);

}  // namespace frame_accessibility

// The accessible name of a caption button: "帮助", "主菜单", "最小化",
// "最大化", "还原", "关闭".
QString captionButtonName(CaptionButton button);

}  // namespace lanzhou::skin
