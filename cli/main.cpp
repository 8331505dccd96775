// main.cpp: zendrix-convert, the command-line converter (exit codes: see Options.hpp or --help).
#include <new>
#include <string>
#include <vector>

#include "Commands.hpp"
#include "Console.hpp"
#include "platform/FileSystem.hpp"

namespace {

// The exit code once stdout has had its say: a lost line of the summary, the --verbose list or --review is a
// failure, said unless the reader closed the pipe (which wants nothing more, and no message).
int Finished(int code) {
    switch (cli::OutputStateNow()) {
        case cli::OutputState::Written:
            return code;
        case cli::OutputState::Failed:
            cli::WriteError("zendrix-convert: writing standard output failed (disk full?)\n");
            break;
        case cli::OutputState::Closed:
            break;
    }
    return code == cli::kExitOk ? cli::kExitFailed : code;
}

int Run(int argc, char** argv) {
    const std::string name = "zendrix-convert: ";
    cli::ConvertOptions options;
    std::string error;
    if (!cli::ParseArguments(cli::ProgramArguments(argc, argv), options, error)) {
        cli::WriteError(name + error + "\nTry 'zendrix-convert --help'.\n");
        return cli::kExitUsage;
    }
    if (options.help) {
        cli::WriteOutput(cli::UsageText());
        return Finished(cli::kExitOk);
    }
    if (options.version) {
        cli::WriteOutput("zendrix-convert " + cli::VersionText() + "\n");
        return Finished(cli::kExitOk);
    }
    platform::RemoveUnfinishedOnTermination();
    const int code = options.batch    ? cli::RunBatch(options, error)
                     : options.review ? cli::RunReview(options, error)
                                      : cli::RunConversion(options, error);
    if (code != cli::kExitOk && !error.empty()) cli::WriteError(name + error + "\n");
    return Finished(code);
}

}  // namespace

int main(int argc, char** argv) {
    // Each file catches its own shortage of memory; this is for what lies outside a file (the tables, the
    // arguments, --review's list): a message and a failure, never an abort.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        cli::WriteError("zendrix-convert: not enough memory\n");
        return cli::kExitFailed;
    }
}
