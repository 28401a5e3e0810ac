#pragma once
// The GUI application object the drawing commands of trevok-cli need (fonts, image writers);
// no window is ever shown.

#include <QGuiApplication>

#include <memory>

namespace trevok::cli
{

/// A QGuiApplication on the offscreen platform unless QT_QPA_PLATFORM names another; null when
/// an application object exists already.
std::unique_ptr<QGuiApplication> guiApplication();

} // namespace trevok::cli
