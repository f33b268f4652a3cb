// How assistive technology sees the program: its windows as windows, and the
// widgets it draws itself (the status bar, the picture buttons, the thumbnail
// grid, the picture areas) with a role, a name, their value and the actions a
// click has.
#pragma once

#include <functional>

class QAccessibleEvent;
class QWidget;

namespace lumaret {

// Installs the interfaces; once, after the QApplication exists.
void InstallAccessibility();

// Tells a screen reader what changed in the thumbnail grid since it last
// asked: pictures added or removed, names or captions changed, and which
// picture is current. Cheap when no reader listens.
void AnnounceGridChange(QWidget* grid);

// Hears the grid's announcements too, even with no reader; for tests, where
// no reader can listen. An empty listener stops it.
void ListenToGridAnnouncements(std::function<void(QAccessibleEvent*)> listener);

}  // namespace lumaret
