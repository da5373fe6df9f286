#include "support/perl_oracle.h"

#include "support/host_tool.h"

namespace {

// The script reads "expression \x01 subject \x01 limit" and evaluates the expression
// as Perl code. Its output separates values with \x01, which test texts never hold.
const char kScript[] = R"PERL(
binmode STDIN; local $/; my $in = <STDIN>;
my ($e, $s, $limit) = split /\x01/, $in, -1;
my $chars = $ENV{ZX_CHARS};
if ($chars) { utf8::decode($e); utf8::decode($s); binmode STDOUT, ":utf8"; }
my $pragma = $chars ? "use re \"/a\"; " : "";
my $mode = $ENV{ZX_MODE};
if ($mode eq "subst") {
  $_ = $s; my $n = eval($pragma . $e); die $@ if $@;
  print(($n ? "1" : "0"), "\x01", $_);
} elsif ($mode eq "split") {
  my @f = eval($pragma . "split $e, \$s, $limit"); die $@ if $@;
  print scalar(@f); print "\x01", (defined $_ ? $_ : "") for @f;
} else {
  my $m = eval($pragma . "\$s =~ $e"); die $@ if $@;
  print($m ? "1" : "0");
}
)PERL";

std::string runPerl(const char* mode, std::string_view expression, std::string_view subject,
                    int limit, bool characters) {
  std::string input(expression);
  input += '\x01';
  input += subject;
  input += '\x01';
  input += std::to_string(limit);
  std::string command = std::string("ZX_MODE=") + mode + " ZX_CHARS=" + (characters ? "1" : "") +
                        " perl -e '" + kScript + "'";
  if (characters) command = "iconv -f CP932 -t UTF-8 | " + command + " | iconv -f UTF-8 -t CP932";
  return runHostTool(command, input);
}

std::vector<std::string> splitOutput(const std::string& output) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= output.size(); ++i) {
    if (i == output.size() || output[i] == '\x01') {
      parts.push_back(output.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

}  // namespace

PerlSubstitution perlSubstitute(std::string_view expression, std::string_view subject,
                                bool characters) {
  std::string output = runPerl("subst", expression, subject, 0, characters);
  size_t separator = output.find('\x01');
  return {output.substr(0, separator) == "1", output.substr(separator + 1)};
}

std::vector<std::string> perlSplit(std::string_view expression, std::string_view subject, int limit,
                                   bool characters) {
  std::vector<std::string> parts =
      splitOutput(runPerl("split", expression, subject, limit, characters));
  parts.erase(parts.begin());  // the count, which the number of parts already tells
  return parts;
}

bool perlMatches(std::string_view expression, std::string_view subject, bool characters) {
  return runPerl("match", expression, subject, 0, characters) == "1";
}
