// main.cpp: zendrix-convert, the command-line converter (exit codes: see Options.hpp or --help).
#include <string>
#include <vector>

#include "Commands.hpp"
#include "Console.hpp"
#include "platform/FileSystem.hpp"

int main(int argc, char** argv) {
    const std::string name = "zendrix-convert: ";
    cli::ConvertOptions options;
    std::string error;
    if (!cli::ParseArguments(cli::ProgramArguments(argc, argv), options, error)) {
        cli::WriteError(name + error + "\nTry 'zendrix-convert --help'.\n");
        return cli::kExitUsage;
    }
    if (options.help) {
        cli::WriteOutput(cli::UsageText());
        return cli::kExitOk;
    }
    if (options.version) {
        cli::WriteOutput("zendrix-convert " + cli::VersionText() + "\n");
        return cli::kExitOk;
    }
    platform::RemoveUnfinishedOnTermination();
    const int code = options.batch    ? cli::RunBatch(options, error)
                     : options.review ? cli::RunReview(options, error)
                                      : cli::RunConversion(options, error);
    if (code != cli::kExitOk && !error.empty()) cli::WriteError(name + error + "\n");
    return code;
}
