// The real host services and the real plug-in, for the GoogleTest programs.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "plugin_host.h"
