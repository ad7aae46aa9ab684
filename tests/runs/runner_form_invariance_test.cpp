// Every example program means the same when it is written another way: each statement
// spread over several lines with a comment and a blank line between its words, and its
// keywords (the statement's first word, every option name before '=') in the other
// case. Both forms run side by side in copies of the examples folder and must give the
// same listing, JSON, written files (data sets and graphs, byte for byte) and log, but
// for line and column numbers and the case of the words the log quotes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <future>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;

bool word_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string other_case(std::string w) {
  for (char& c : w) {
    const unsigned char u = static_cast<unsigned char>(c);
    c = static_cast<char>(std::isupper(u) ? std::tolower(u) : std::toupper(u));
  }
  return w;
}

// The program with every run of blanks between words (outside quotes and comments)
// replaced by a comment between line ends, and its keywords in the other case. A '*'
// comment statement, an unclosed quote or comment and what follows it stay as written.
std::string spread(const std::string& text) {
  std::string out;
  bool statement_start = true;
  std::size_t i = 0;
  auto copy_to = [&](std::size_t end) {
    out.append(text, i, end - i);
    i = end;
  };
  while (i < text.size()) {
    const char c = text[i];
    if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      const std::size_t close = text.find("*/", i + 2);
      if (close == std::string::npos) return out + text.substr(i);
      copy_to(close + 2);
    } else if (c == '\'' || c == '"') {
      const std::size_t close = text.find(c, i + 1);
      if (close == std::string::npos) return out + text.substr(i);
      copy_to(close + 1);
      statement_start = false;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      std::size_t end = i;
      while (end < text.size() && std::isspace(static_cast<unsigned char>(text[end]))) ++end;
      out += "\n  /* between words */\n\n    ";
      i = end;
    } else if (statement_start && c == '*') {
      const std::size_t semi = text.find(';', i);
      if (semi == std::string::npos) return out + text.substr(i);
      copy_to(semi + 1);
    } else if (word_char(c)) {
      std::size_t end = i;
      while (end < text.size() && word_char(text[end])) ++end;
      std::size_t next = end;
      while (next < text.size() && (text[next] == ' ' || text[next] == '\t')) ++next;
      const bool option = next < text.size() && text[next] == '=';
      const bool keyword = (statement_start || option) && std::isalpha(static_cast<unsigned char>(c));
      out += keyword ? other_case(text.substr(i, end - i)) : text.substr(i, end - i);
      i = end;
      statement_start = false;
    } else {
      out += c;
      ++i;
      statement_start = c == ';';
    }
  }
  return out;
}

// Line and column numbers, timings and clock times masked; case folded (the log
// quotes the words as the program wrote them).
std::string masked_log(const std::string& log) {
  static const std::regex places(R"(\b(lines?|column|columns) [0-9]+(-[0-9]+)?)", std::regex::icase);
  static const std::regex timing(R"([0-9]+\.[0-9]+ seconds)");
  std::string s = std::regex_replace(std::regex_replace(log, places, "$1 #"), timing, "# seconds");
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::string masked_times(const std::string& text) {
  static const std::regex clock(R"(\b[0-9]{1,2}:[0-9]{2}(:[0-9]{2})?\b)");
  static const std::regex timing(R"([0-9]+\.[0-9]+ seconds)");
  return std::regex_replace(std::regex_replace(text, clock, "HH:MM"), timing, "# seconds");
}

std::vector<std::string> words_of(const fs::path& p) {
  std::vector<std::string> w;
  std::istringstream in(kes_test::slurp(p));
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

struct run_outcome {
  int status = -1;
  std::string lst, log, json;
  std::map<std::string, std::string> written;  // file name -> bytes
};

// A copy of the examples folder that runs one program after another: what a run
// writes is removed after it, and an input it changed is copied again.
class examples_copy {
 public:
  explicit examples_copy(fs::path root) : root_(std::move(root)) {
    fs::create_directories(root_);
    for (const auto& e : fs::directory_iterator(examples())) {
      const std::string f = e.path().filename().string();
      if (!e.is_regular_file() || (f.size() > 5 && f.ends_with(".fail"))) continue;
      fs::copy_file(e.path(), root_ / f, fs::copy_options::overwrite_existing);
      inputs_[f] = fs::last_write_time(root_ / f);
    }
  }
  static fs::path examples() { return fs::path(KES_SOURCE_DIR) / "examples"; }

  // Runs program as NAME.kes with the extra arguments before the runner's own.
  run_outcome run(const std::string& name, const std::string& program, const std::vector<std::string>& extra) {
    std::ofstream(root_ / (name + ".kes"), std::ios::binary) << program;
    std::vector<std::string> args = extra;
    for (const char* a : {"--listing", "out.lst", "--log", "out.log", "--json", "out.json"}) args.push_back(a);
    args.push_back(name + ".kes");
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (::chdir(root_.c_str()) != 0) ::_exit(120);
      std::string bin = kes_test::built("kestravine");
      std::vector<char*> argv{bin.data()};
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      if (!::freopen("/dev/null", "w", stdout) || !::freopen("/dev/null", "w", stderr)) ::_exit(122);
      ::alarm(120);
      ::execv(bin.c_str(), argv.data());
      ::_exit(121);
    }
    run_outcome r;
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 1000 + WTERMSIG(raw);
    r.lst = kes_test::slurp(root_ / "out.lst");
    r.log = kes_test::slurp(root_ / "out.log");
    r.json = kes_test::slurp(root_ / "out.json");
    std::vector<fs::path> gone;
    for (const auto& e : fs::recursive_directory_iterator(root_)) {
      const std::string f = fs::relative(e.path(), root_).string();
      const auto in = inputs_.find(f);
      if (in == inputs_.end()) {
        if (e.is_regular_file() && f.rfind("out.", 0) != 0) r.written[f] = kes_test::slurp(e.path());
        gone.push_back(e.path());
      } else if (fs::last_write_time(e.path()) != in->second) {
        fs::copy_file(examples() / f, e.path(), fs::copy_options::overwrite_existing);
        in->second = fs::last_write_time(e.path());
      }
    }
    std::error_code ec;
    for (const fs::path& p : gone) fs::remove_all(p, ec);
    fs::copy_file(examples() / (name + ".kes"), root_ / (name + ".kes"), fs::copy_options::overwrite_existing);
    inputs_[name + ".kes"] = fs::last_write_time(root_ / (name + ".kes"));
    return r;
  }

 private:
  fs::path root_;
  std::map<std::string, fs::file_time_type> inputs_;
};

std::string first_difference(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  const std::size_t from = i < 80 ? 0 : i - 80;
  return "as written: ..." + a.substr(from, 160) + "...\n  spread: ..." + b.substr(from, 160) + "...";
}

TEST(FormInvariance, TheSpreadFormKeepsQuotesCommentsAndCommentStatements) {
  EXPECT_EQ(spread("proc kestravine data=a;"),
            "PROC\n  /* between words */\n\n    kestravine\n  /* between words */\n\n    DATA=a;");
  EXPECT_EQ(spread("title 'a  b';"), "TITLE\n  /* between words */\n\n    'a  b';");
  EXPECT_EQ(spread("* a comment statement's text;x"), "* a comment statement's text;X");
  EXPECT_EQ(spread("/* a  b */var x;"), "/* a  b */VAR\n  /* between words */\n\n    x;");
  EXPECT_EQ(spread("run; /* open"), "RUN;\n  /* between words */\n\n    /* open");
}

TEST(FormInvariance, EveryExampleMeansTheSameSpreadOverLines) {
  const fs::path examples = fs::path(KES_SOURCE_DIR) / "examples";
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(examples))
    if (e.path().extension() == ".kes" && fs::exists(fs::path(e.path()).replace_extension(".lst")))
      names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  ASSERT_GT(names.size(), 40u);
  // Under the sanitizers every fourth example: the spread forms reach the same parser
  // paths in each, and the plain run holds every example to the rule.
  if (kes_test::under_sanitizers()) {
    std::vector<std::string> some;
    for (std::size_t i = 0; i < names.size(); i += 4) some.push_back(names[i]);
    names.swap(some);
  }

  const kes_test::scratch_dir root("form");
  std::vector<std::string> faults(names.size());
  std::atomic<std::size_t> next{0};
  std::vector<std::future<void>> workers;
  for (int t = 0; t < 4; ++t)
    workers.push_back(std::async(std::launch::async, [&, t] {
      examples_copy copy(root.path() / ("w" + std::to_string(t)));
      for (std::size_t i; (i = next++) < names.size();) {
        const std::string& name = names[i];
        const fs::path args_file = examples / (name + ".args");
        const std::vector<std::string> extra = fs::exists(args_file) ? words_of(args_file) : std::vector<std::string>{};
        const std::string program = kes_test::slurp(examples / (name + ".kes"));
        const run_outcome a = copy.run(name, program, extra);
        const run_outcome b = copy.run(name, spread(program), extra);
        std::string& f = faults[i];
        if (a.status != b.status)
          f += "\n exit status " + std::to_string(a.status) + " as written, " + std::to_string(b.status) + " spread";
        if (masked_times(a.lst) != masked_times(b.lst)) f += "\n the listing differs:\n  " + first_difference(a.lst, b.lst);
        if (masked_log(a.json) != masked_log(b.json))
          f += "\n the JSON differs:\n  " + first_difference(masked_log(a.json), masked_log(b.json));
        if (masked_log(a.log) != masked_log(b.log))
          f += "\n the log differs:\n  " + first_difference(masked_log(a.log), masked_log(b.log));
        for (const auto& [file, bytes] : a.written) {
          const auto it = b.written.find(file);
          if (it == b.written.end())
            f += "\n " + file + " is not written when spread";
          else if (it->second != bytes)
            f += "\n " + file + " differs:\n  " + first_difference(bytes, it->second);
        }
        for (const auto& [file, bytes] : b.written)
          if (!a.written.count(file)) f += "\n " + file + " is written only when spread";
      }
    }));
  for (auto& w : workers) w.get();
  for (std::size_t i = 0; i < names.size(); ++i)
    EXPECT_TRUE(faults[i].empty()) << names[i] << ".kes spread over lines:" << faults[i];
}

}  // namespace
