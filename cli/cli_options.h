// Reading tactimer-cli's arguments into a request.
#ifndef TACTIMER_CLI_CLI_OPTIONS_H
#define TACTIMER_CLI_CLI_OPTIONS_H

#include "cli/cli_request.h"
#include "cli/run_cli.h"
#include "cli/text_sink.h"

// Says on err what is wrong when the arguments are not usable.
CliAction ParseArguments(const ArgumentList &arguments, const TextSink &err, CliRequest &request);

#endif
