// ConversionRunFixture.hpp: a conversion over the small tables in a temporary folder, for the run tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/ConvertTestSupport.hpp"
#include "platform/FileSystem.hpp"
#include "tests/support/TempDir.hpp"

namespace convertsupport {

// What the host records of the Start and Stop buttons over a run on one file and over a batch.
const std::vector<std::string> kSingleRun = {"Start off", "Start on", "Stop off"};
const std::vector<std::string> kBatchRun = {"Start off", "Stop on", "Start on", "Stop off"};

// A folder `src` inside a temporary folder, the small tables, a recording host and the conversion that
// reports to it. Runs may change the current directory; it is restored afterwards.
class CConversionRunFixture : public ::testing::Test {
  protected:
    CConversionRunFixture() : m_saved(platform::CurrentDirectory()) { platform::MakeDirectory(src); }
    ~CConversionRunFixture() override { platform::ChangeDirectory(m_saved); }

    // mode and direction as the window's radio buttons give them: 1 is a batch, and Traditional to
    // Simplified.
    void Start(int mode, const std::string& source, const std::string& dest, int direction = 0) {
        conversion.OnStart(mode == 1 ? RunMode::Batch : RunMode::SingleFile, source, dest,
                           direction == 1 ? Direction::ToSimplified : Direction::ToTraditional);
    }

    testsupport::TempDir dir;
    std::string src = dir.File("src");
    CharTables tables = SmallTables();
    CRecordingHost host;
    CTablesRun conversion{tables, host};

  private:
    std::string m_saved;
};

}  // namespace convertsupport
