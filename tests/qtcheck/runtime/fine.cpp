// The run-time itself uses Qt.
#include <QWidget>
