#include "app/screen_saver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>

namespace lumaret {

namespace {

// Short: a desktop without the service must not hold up the show.
constexpr int kCallTimeoutMs = 1000;

QDBusMessage Call(const QString& method) {
  return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.ScreenSaver"),
                                        QStringLiteral("/org/freedesktop/ScreenSaver"),
                                        QStringLiteral("org.freedesktop.ScreenSaver"), method);
}

}  // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected())
    return;
  QDBusMessage inhibit = Call(QStringLiteral("Inhibit"));
  inhibit << QStringLiteral("Lumaret") << QStringLiteral("Playing a slideshow");
  const QDBusMessage reply = bus.call(inhibit, QDBus::Block, kCallTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
    return;
  cookie_ = reply.arguments().constFirst().toUInt();
  active_ = true;
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
  if (!active_)
    return;
  QDBusMessage release = Call(QStringLiteral("UnInhibit"));
  release << cookie_;
  QDBusConnection::sessionBus().call(release, QDBus::Block, kCallTimeoutMs);
}

}  // namespace lumaret
