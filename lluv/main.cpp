// lluv: tools for radial LLUV files that already exist. The command line is
// read here; every subcommand's work is in its own file and in the library.

#include <cstdio>
#include <functional>
#include <iostream>
#include <vector>

#include "LluvCommand.h"
#include "cVersion.h"

int main(int argc, char** argv) {
    char version[64] = {};
    CVersion::GetShortVersionString(version);
    CLI::App app{"Quality control, inspection and netCDF export of radial LLUV files", "lluv"};
    app.set_version_flag("-V,--version", std::string("lluv ") + version);
    app.require_subcommand(1);
    std::vector<std::function<int()>> runs;
    std::vector<CLI::App*> commands;
    for (const XLluvCommand& command : kLluvCommands) {
        commands.push_back(app.add_subcommand(command.name, command.summary));
        runs.push_back(command.setUp(commands.back()));
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e, std::cout, std::cerr);
        return kLluvUsage;
    }
    for (size_t i = 0; i < commands.size(); ++i)
        if (commands[i]->parsed()) return runs[i]();
    return kLluvUsage;
}
