// Precompiled for every test program of the platform layer (and, through the
// headers that include this one, of the layers above): Google Test and Mock,
// the standard library and the platform headers most tests include. Parsing
// these took a good part of each test file's compile; the build now compiles
// them once per layer. Only headers of the layer and the layers below belong
// here, and nothing a test must not see unless it includes it itself.
#pragma once
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/core/MainThread.h"
#include "platform/core/Utf8.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/StdCtrls.h"
#include "platform/os/Gdi.h"
#include "platform/os/Os.h"
#include "platform/os/Window.h"
#include "platform/sys/Files.h"
#include "platform/sys/Process.h"
#include "platform/testing/Driver.h"
