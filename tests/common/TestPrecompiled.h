// The headers every test program includes, compiled once per build.
#pragma once

#include "core/Precompiled.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
