#include "cli/app.h"

#include "cli/byte_stream.h"
#include "cli/command_line.h"
#include "cli/crypt_stream.h"
#include "cli/output_target.h"
#include "cli/password_source.h"
#include "cli/repair_command.h"
#include "cli/standard_descriptors.h"
#include "cli/unique_fd.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::cli {

namespace {

// Every line of a message goes to standard error under the program's name.
int report(const Failure& failure) {
    std::string text;
    std::size_t from = 0;
    while (from <= failure.message.size()) {
        auto to = failure.message.find('\n', from);
        if (to == std::string::npos) to = failure.message.size();
        text += "velmora-crypt: " + failure.message.substr(from, to - from) + "\n";
        from = to + 1;
    }
    FdSink(STDERR_FILENO).write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    return static_cast<int>(failure.status);
}

int print(const std::string& text) {
    const int error = FdSink(STDOUT_FILENO).write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    if (error != 0) return report(ioFailure("Kan inte skriva till standard ut", error));
    return 0;
}

// Writing into the file being read while some of it is still unread (as cat
// checks): appended output would be read again without end, overwritten input
// lost. A replaced file is a new one, never this.
bool writesIntoUnreadInput(int input, int output) {
    struct stat in {
    }, out{};
    return ::fstat(input, &in) == 0 && ::fstat(output, &out) == 0 && S_ISREG(out.st_mode) && in.st_dev == out.st_dev &&
           in.st_ino == out.st_ino && ::lseek(input, 0, SEEK_CUR) < in.st_size;
}

std::string passwordSource(const Arguments& arguments) {
    switch (arguments.passwordFrom) {
    case Arguments::PasswordFrom::File: return "filen '" + arguments.passwordFile + "'";
    case Arguments::PasswordFrom::Descriptor: return "fildeskriptor " + std::to_string(arguments.passwordFd);
    case Arguments::PasswordFrom::Terminal: break;
    }
    return "terminalen";
}

std::variant<std::string, Failure> readPasswordLine(const Arguments& arguments) {
    switch (arguments.passwordFrom) {
    case Arguments::PasswordFrom::File: {
        const UniqueFd file(::open(arguments.passwordFile.c_str(), O_RDONLY | O_CLOEXEC));
        if (file.get() < 0) return ioFailure("Kan inte öppna lösenordsfilen '" + arguments.passwordFile + "'", errno);
        return readFirstLine(file.get(), passwordSource(arguments));
    }
    case Arguments::PasswordFrom::Descriptor: return readFirstLine(arguments.passwordFd, passwordSource(arguments));
    case Arguments::PasswordFrom::Terminal: break;
    }
    return readPasswordFromTerminal("Lösenord: ");
}

}  // namespace

int runVelmoraCrypt(std::span<const std::string_view> args) {
    auto parsed = parseArguments(args);
    if (const auto* failure = std::get_if<Failure>(&parsed)) return report(*failure);
    const Arguments& arguments = std::get<Arguments>(parsed);
    if (arguments.action == Arguments::Action::Help) return print(usageText());
    if (arguments.action == Arguments::Action::Version) return print(versionText() + "\n");

    if (arguments.passwordFrom == Arguments::PasswordFrom::Descriptor) {
        if (const auto failure = checkPasswordDescriptor(arguments.passwordFd)) return report(*failure);
    }
    occupyClosedStandardDescriptors();

    // The files first: a missing or unwritable one is reported before anyone is asked for a password.
    const UniqueFd inputFile(arguments.input ? ::open(arguments.input->c_str(), O_RDONLY | O_CLOEXEC) : -1);
    const int input = arguments.input ? inputFile.get() : STDIN_FILENO;
    if (input < 0) return report(ioFailure("Kan inte öppna '" + *arguments.input + "'", errno));
    auto opened = OutputTarget::open(arguments.output);
    if (const auto* failure = std::get_if<Failure>(&opened)) return report(*failure);
    OutputTarget& output = *std::get<std::unique_ptr<OutputTarget>>(opened);
    if (writesIntoUnreadInput(input, output.fd())) {
        const std::string name = arguments.input ? "'" + *arguments.input + "'" : "standard in";
        return report({ExitStatus::IoFailure, "Indata " + name +
                                                  " är samma fil som utdata: den skulle skrivas över "
                                                  "eller växa utan slut. Ersätt filen med -o FIL FIL."});
    }

    auto line = readPasswordLine(arguments);
    if (const auto* failure = std::get_if<Failure>(&line)) return report(*failure);
    auto codes = passwordCodes(std::get<std::string>(line), passwordSource(arguments));
    wipe(std::get<std::string>(line));
    if (const auto* failure = std::get_if<Failure>(&codes)) return report(*failure);
    auto& password = std::get<std::vector<std::uint8_t>>(codes);

    FdSource source(input);
    if (arguments.repair) {
        const RepairEnd end = runRepair(source, output, password, arguments.raw);
        wipe(password);
        return end.message.empty() ? static_cast<int>(end.status) : report({end.status, end.message});
    }
    FdSink sink(output.fd(), output.syncsOnCommit());
    StreamSettings settings;
    settings.raw = arguments.raw;
    StreamOutcome outcome = cryptStream(source, sink, password, settings);
    wipe(password);
    if (outcome.failure) {
        output.discard();
        if (output.isStandardOutput() && outcome.bytesWritten > 0 &&
            outcome.failure->status == ExitStatus::BadUsageOrInput) {
            outcome.failure->message += "\nDet som redan skrivits till standard ut är ofullständigt.";
        }
        return report(*outcome.failure);
    }
    if (const auto failure = output.commit()) return report(*failure);
    return 0;
}

}  // namespace velmora::cli
