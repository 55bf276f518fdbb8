// Precompiled once for the window tests: Qt's test library and the widgets nearly
// every one of them finds, and the main window with its session.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/main/TMainForm.h"
