// Version.h: the version of Zendrix, for both programs' version records and for zendrix-convert --version.
#pragma once

#define ZENDRIX_VERSION_NUMBERS 1, 0, 0, 1
#define ZENDRIX_VERSION_TEXT "1.0.0.1"
