// completion: a script that completes lgt's verbs and options in a shell. The value options come
// from the table of fields, so a new field is completed without a change here.
#include <string_view>

#include "commands.h"
#include "lightset/fields.h"

namespace lgt {
namespace {

constexpr std::string_view kVerbs = "read check write set diff preview completion --help --version";
constexpr std::string_view kShells = "bash zsh fish powershell";

// The options of write and set, and --json, which every verb that reads or writes takes.
std::string ValueOptions() {
  std::string options = "--json";
  for (const lightset::Field& field : lightset::kFields) options.append(" ").append(field.option);
  return options;
}

std::string Bash() {
  return "_lgt() {\n"
         "  local current=${COMP_WORDS[COMP_CWORD]}\n"
         "  if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
         "    COMPREPLY=($(compgen -W '" +
         std::string(kVerbs) +
         "' -- \"$current\"))\n"
         "    return\n"
         "  fi\n"
         "  case ${COMP_WORDS[1]},$current in\n"
         "    completion,*) COMPREPLY=($(compgen -W '" +
         std::string(kShells) +
         "' -- \"$current\")) ;;\n"
         "    write,-* | set,-*) COMPREPLY=($(compgen -W '" +
         ValueOptions() +
         "' -- \"$current\")) ;;\n"
         "    *,-*) COMPREPLY=($(compgen -W '--json' -- \"$current\")) ;;\n"
         "    *) COMPREPLY=($(compgen -f -- \"$current\")) ;;\n"
         "  esac\n"
         "}\n"
         "complete -o filenames -F _lgt lgt\n";
}

std::string Zsh() {
  return "#compdef lgt\n"
         "_lgt() {\n"
         "  if (( CURRENT == 2 )); then\n"
         "    compadd -- " +
         std::string(kVerbs) +
         "\n"
         "  elif [[ $words[2] == completion ]]; then\n"
         "    compadd -- " +
         std::string(kShells) +
         "\n"
         "  elif [[ $PREFIX == -* && $words[2] == (write|set) ]]; then\n"
         "    compadd -- " +
         ValueOptions() +
         "\n"
         "  elif [[ $PREFIX == -* ]]; then\n"
         "    compadd -- --json\n"
         "  else\n"
         "    _files\n"
         "  fi\n"
         "}\n"
         "compdef _lgt lgt\n";
}

std::string Fish() {
  std::string script =
      "complete -c lgt -f -n __fish_use_subcommand -a '" + std::string(kVerbs) +
      "'\n"
      "complete -c lgt -f -n '__fish_seen_subcommand_from completion' -a '" +
      std::string(kShells) +
      "'\n"
      "complete -c lgt -n '__fish_seen_subcommand_from read check write set diff' -l json\n";
  for (const lightset::Field& field : lightset::kFields)
    script += "complete -c lgt -n '__fish_seen_subcommand_from write set' -r -l " +
              std::string(field.option.substr(2)) + "\n";
  return script;
}

std::string PowerShell() {
  auto list = [](std::string_view words) {
    std::string quoted;
    for (std::size_t at = 0; at < words.size();) {
      const std::size_t end = std::min(words.find(' ', at), words.size());
      quoted += (quoted.empty() ? "'" : ", '") + std::string(words.substr(at, end - at)) + "'";
      at = end + 1;
    }
    return "@(" + quoted + ")";
  };
  return "Register-ArgumentCompleter -Native -CommandName lgt, lgt.exe -ScriptBlock {\n"
         "  param($word, $command, $cursor)\n"
         "  $words = @($command.CommandElements | ForEach-Object { $_.ToString() })\n"
         "  if ($words.Count -eq 1 -or ($words.Count -eq 2 -and $word)) { $candidates = " +
         list(kVerbs) +
         " }\n"
         "  elseif ($words[1] -eq 'completion') { $candidates = " +
         list(kShells) +
         " }\n"
         "  elseif ($word -like '-*' -and $words[1] -in 'write', 'set') { $candidates = " +
         list(ValueOptions()) +
         " }\n"
         "  elseif ($word -like '-*') { $candidates = @('--json') }\n"
         "  else { return }\n"
         "  $candidates | Where-Object { $_ -like \"$word*\" } | ForEach-Object {\n"
         "    [System.Management.Automation.CompletionResult]::new($_, $_, 'ParameterValue', $_)\n"
         "  }\n"
         "}\n";
}

}  // namespace

int CompletionCommand(const std::vector<Argument>& arguments, Output& out, Output& err) {
  const std::string shell = arguments.size() == 2 ? arguments[1].display : "";
  if (shell == "bash")
    out << Bash();
  else if (shell == "zsh")
    out << Zsh();
  else if (shell == "fish")
    out << Fish();
  else if (shell == "powershell")
    out << PowerShell();
  else
    return BadCommand(err, "completion: give one of " + std::string(kShells));
  return 0;
}

}  // namespace lgt
