#include "tools/instsim/SimOptions.h"

#include <cstdlib>

namespace instsim {
namespace {

bool ToRate(const std::string& text, double* out) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || value < 0 || value > 1) return false;
    *out = value;
    return true;
}

bool ToNumber(const std::string& text, long long low, long long high, long long* out) {
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || value < low || value > high) return false;
    *out = value;
    return true;
}

}  // namespace

const char* Usage() {
    return "usage: instsim [--dir FOLDER] [--drop RATE] [--corrupt RATE] [--duplicate RATE]\n"
           "               [--seed N] [--delay MS] [--stall-after N [--stall-for MS]]\n"
           "               [--never-answer] [--refuse NAME|*]... [--pace BAUD] [--echo]\n"
           "               [--lose-reply N]... [--reset-every MS] [--mended] [--log FILE]\n"
           "               [--clock FILE]\n"
           "--mended  run the host's careful link rules instead of the instrument's own\n"
           "--lose-reply N  the Nth reply (from 1) is made, so the instrument moves on, but never sent\n"
           "--reset-every MS  answer nothing, send a link RESET every MS milliseconds\n"
           "--clock FILE  take the time from a clock file that a test moves on (link timer, delays,\n"
           "              stalls, resets); the line pace stays in real time\n"
           "--version  print the version and quit\n"
           "Prints the device path of the simulated instrument's line on its first line.\n";
}

bool ParseOptions(const std::vector<std::string>& args, SimOptions* options, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= args.size()) {
                *error = a + " needs a value";
                return false;
            }
            *out = args[++i];
            return true;
        };
        std::string v;
        long long n = 0;
        if (a == "--never-answer") {
            options->neverAnswer = true;
        } else if (a == "--echo") {
            options->echo = true;
        } else if (a == "--mended") {
            options->strict = false;
        } else if (a == "--strict") {
            options->strict = true;
        } else if (a == "--dir" || a == "--log" || a == "--refuse" || a == "--clock") {
            if (!value(&v)) return false;
            if (a == "--dir")
                options->folder = v;
            else if (a == "--log")
                options->logPath = v;
            else if (a == "--clock")
                options->clockPath = v;
            else
                options->refused.push_back(v);
        } else if (a == "--drop" || a == "--corrupt" || a == "--duplicate") {
            double* target = a == "--drop"      ? &options->faults.dropRate
                             : a == "--corrupt" ? &options->faults.corruptRate
                                                : &options->faults.duplicateRate;
            if (!value(&v)) return false;
            if (!ToRate(v, target)) {
                *error = a + " takes a rate from 0 to 1, not " + v;
                return false;
            }
        } else if (a == "--seed" || a == "--delay" || a == "--stall-after" || a == "--pace" || a == "--stall-for" ||
                   a == "--lose-reply" || a == "--reset-every") {
            if (!value(&v)) return false;
            if (!ToNumber(v, 0, 4000000000LL, &n)) {
                *error = a + " takes a whole number, not " + v;
                return false;
            }
            if (a == "--seed")
                options->faults.seed = static_cast<uint32_t>(n);
            else if (a == "--delay")
                options->replyDelayMs = static_cast<uint32_t>(n);
            else if (a == "--stall-after")
                options->stallAfter = static_cast<int>(n);
            else if (a == "--stall-for")
                options->stallMs = static_cast<uint32_t>(n);
            else if (a == "--lose-reply")
                options->lostReplies.push_back(static_cast<int>(n));
            else if (a == "--reset-every")
                options->resetEveryMs = static_cast<uint32_t>(n);
            else
                options->paceBaud = static_cast<uint32_t>(n);
        } else {
            *error = "unknown option " + a;
            return false;
        }
    }
    return true;
}

}  // namespace instsim
