// main.cpp: zendrix-convert, the command-line converter (exit codes: see ConvertCommand.hpp or --help).
#include <string>
#include <vector>

#include "BatchCommand.hpp"
#include "ConvertCommand.hpp"
#include "System.hpp"

int main(int argc, char** argv) {
    const std::string name = "zendrix-convert: ";
    std::vector<std::string> args;
    cli::ConvertOptions options;
    std::string error;
    if (!cli::ProgramArguments(argc, argv, args, error) || !cli::ParseArguments(args, options, error)) {
        cli::WriteError(name + error + "\nTry 'zendrix-convert --help'.\n");
        return cli::kExitUsage;
    }
    if (options.help) {
        cli::WriteOutput(cli::UsageText());
        return cli::kExitOk;
    }
    const int code = options.batch ? cli::RunBatch(options, error) : cli::RunConversion(options, error);
    if (code != cli::kExitOk && !error.empty()) cli::WriteError(name + error + "\n");
    return code;
}
