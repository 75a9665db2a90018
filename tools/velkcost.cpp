// velkcost: the command-line face of the library. It uses the library the
// way a host does, through its public interface only.
#include <velkdata/velkdata.h>

#include <QFileInfo>
#include <QString>
#include <sys/stat.h>
#include <boost/make_shared.hpp>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: velkcost [--csv]                   estimate of the built-in "
    "sample\n"
    "       velkcost cost [FILE] [--csv]       estimate of a database file\n"
    "       velkcost check [FILE]              check every formula\n"
    "       velkcost dump [FILE]               operations, base assemblies,\n"
    "                                          components and drivers\n"
    "       velkcost save FILE                 write the sample database\n"
    "       velkcost upgrade OLD NEW           write OLD (of any release) in\n"
    "                                          today's format to NEW\n"
    "       velkcost eval \"FORMULA\" [name=value ...]\n"
    "       velkcost -h | --help\n"
    "Without FILE the built-in sample database is used.\n"
    "Exit status: 0 done (estimate complete, no findings), 1 estimate\n"
    "incomplete or findings, 2 bad arguments or a file that cannot be read.\n";

// The library's debug lines are meant for its developers; the tool keeps
// the last one, since it carries the reason why a file could not be read.
std::string lastDebugLine;

void keepLastMessage(QtMsgType, const QMessageLogContext&,
                     const QString& message) {
  lastDebugLine = message.toStdString();
}

int usageError(const std::string& message) {
  std::cerr << "velkcost: " << message << " (see velkcost --help)\n";
  return 2;
}

std::string oneLine(const std::string& text) {
  std::string line;
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

// The database in `path`, or the sample when `path` is empty. An empty
// pointer after one line on standard error when the file cannot be read.
boost::shared_ptr<VelkData::CostDatabase> loadDatabase(
    const std::string& path) {
  if (path.empty()) return VelkData::buildSampleDatabase();
  const QFileInfo info(QString::fromStdString(path));
  if (!info.exists()) {
    std::cerr << "velkcost: " << path << ": no such file\n";
    return boost::shared_ptr<VelkData::CostDatabase>();
  }
  if (!info.isFile() || !info.isReadable()) {
    std::cerr << "velkcost: " << path << ": not a readable file\n";
    return boost::shared_ptr<VelkData::CostDatabase>();
  }
  boost::shared_ptr<VelkData::CostDatabase> db =
      boost::make_shared<VelkData::CostDatabase>();
  std::string reason;
  try {
    lastDebugLine.clear();
    if (VelkData::CostDatabase::FromFile(QString::fromStdString(path), *db)) {
      return db;
    }
    // The reason is the last line of the library's message.
    const size_t lastBreak = lastDebugLine.find_last_of('\n');
    reason = lastBreak == std::string::npos
                 ? lastDebugLine
                 : lastDebugLine.substr(lastBreak + 1);
  } catch (const std::exception& e) {
    reason = e.what();
  }
  std::cerr << "velkcost: " << path << ": not a readable cost database archive"
            << (reason.empty() ? "" : " (" + oneLine(reason) + ")") << "\n";
  return boost::shared_ptr<VelkData::CostDatabase>();
}

int cost(const std::string& path, bool csv) {
  const boost::shared_ptr<VelkData::CostDatabase> db = loadDatabase(path);
  if (!db) return 2;
  const VelkData::CostEstimate estimate(*db);
  const VelkData::EstimateReport report(estimate);
  std::cout << (csv ? report.csv() : report.text());
  return estimate.complete() ? 0 : 1;
}

int check(const std::string& path) {
  const boost::shared_ptr<VelkData::CostDatabase> db = loadDatabase(path);
  if (!db) return 2;
  const VelkData::FormulaCheck check(*db);
  for (const VelkData::FormulaCheck::Finding& finding : check.findings()) {
    std::cout << finding.text() << "\n";
  }
  std::cout << check.formulaCount() << " formulas checked, "
            << check.findings().size()
            << (check.findings().size() == 1 ? " finding" : " findings")
            << "\n";
  return check.clean() ? 0 : 1;
}

std::string valueOf(const VelkData::CostDriver& driver) {
  try {
    return VelkData::FormulaContainer::toString(driver.doubleValue());
  } catch (const std::exception& e) {
    return "(no value: " + oneLine(e.what()) + ")";
  }
}

void dumpDriver(const VelkData::CostDriver& driver, const std::string& indent) {
  std::cout << indent << driver.id() << " = " << valueOf(driver);
  const std::string text = driver.dependencyFormulaAt(0);
  if (driver.hasValue()) {
    std::cout << "  (set)";
  } else if (!text.empty()) {
    std::cout << "  \"" << text << "\"";
  }
  std::cout << "\n";
}

void dumpComponent(const TamberData::Component& c, const std::string& amount,
                   const std::string& indent) {
  std::cout << indent << c.label() << " [" << c.getComponentKey() << "]"
            << amount;
  if (c.isOPShared()) {
    std::cout << "  shared by";
    for (const auto& op : c.operations()) {
      if (op) std::cout << " " << op->label();
    }
  }
  if (c.omitted()) std::cout << "  omitted";
  if (c.Deactivated()) std::cout << "  deactivated";
  std::cout << "\n";
  for (int i = 0; i < c.parameterCount(); ++i) {
    if (c.parameterAt(i)) dumpDriver(*c.parameterAt(i), indent + "    ");
  }
}

std::string amountOf(const boost::shared_ptr<VelkData::FormulaContainer>& f) {
  if (!f) return "  x ? (no formula)";
  std::string value;
  try {
    value = VelkData::FormulaContainer::toString(f->evalFormulaDouble());
  } catch (const std::exception& e) {
    value = "? (" + oneLine(e.what()) + ")";
  }
  return "  x " + value + "  \"" + f->formulaAt(0) + "\"";
}

int dump(const std::string& path) {
  const boost::shared_ptr<VelkData::CostDatabase> db = loadDatabase(path);
  if (!db) return 2;
  std::cout << "Cost database " << db->id() << ", currency " << db->Currency()
            << "\n";
  std::cout << "  Cost properties\n";
  for (int i = 0; i < db->CostPropertyCount(); ++i) {
    const auto driver = boost::dynamic_pointer_cast<VelkData::CostDriver>(
        db->CostPropertyAt(i));
    if (driver) dumpDriver(*driver, "    ");
  }
  const auto plan = db->ProcessDB();
  if (!plan) {
    std::cout << "  No process plan\n";
    return 0;
  }
  for (const auto& op : plan->Operations()) {
    if (!op) continue;
    std::cout << "Operation " << op->label() << " (" << op->type() << ")";
    if (op->press()) std::cout << " on " << op->press()->label();
    std::cout << "\n  Drivers\n";
    for (const auto& driver : op->GetAllCostDrivers()) {
      if (driver) dumpDriver(*driver, "    ");
    }
    const auto assembly = op->baseAssembly();
    if (assembly) {
      std::cout << "  Base assembly " << assembly->label() << "\n";
      for (int i = 0; i < assembly->ComponentCount(); ++i) {
        const auto c = assembly->ComponentAt(i);
        if (c)
          dumpComponent(*c, amountOf(assembly->AmountFormulaAt(i)), "    ");
      }
    }
    const auto units = plan->getProcUnitsFromOP(op);
    if (!units.empty()) std::cout << "  Processing units\n";
    for (const auto& unit : units) {
      if (!unit) continue;
      std::cout << "    " << unit->label();
      if (unit->partFeature()) {
        std::cout << " (" << unit->partFeature()->type() << " "
                  << unit->partFeature()->label() << ")";
      }
      std::cout << "\n";
      for (int j = 0; j < unit->componentCount(); ++j) {
        if (unit->componentAt(j)) {
          dumpComponent(*unit->componentAt(j), "", "      ");
        }
      }
    }
  }
  return 0;
}

int save(const std::string& path) {
  const boost::shared_ptr<VelkData::CostDatabase> db =
      VelkData::buildSampleDatabase();
  try {
    db->ToFile(*db, path.c_str());
  } catch (const std::exception& e) {
    std::cerr << "velkcost: cannot write " << path << " (" << oneLine(e.what())
              << ")\n";
    return 2;
  }
  return 0;
}

// Reads OLD, in the layout of any release, and writes it to NEW in today's.
// OLD is never written: not by name, nor through a link or a second name.
int upgrade(const std::string& oldPath, const std::string& newPath) {
  struct stat oldStat, newStat;
  if (oldPath == newPath ||
      (::stat(oldPath.c_str(), &oldStat) == 0 &&
       ::stat(newPath.c_str(), &newStat) == 0 &&
       oldStat.st_dev == newStat.st_dev && oldStat.st_ino == newStat.st_ino)) {
    std::cerr << "velkcost: " << newPath << " is " << oldPath
              << "; upgrade never overwrites the old database\n";
    return 2;
  }
  const boost::shared_ptr<VelkData::CostDatabase> db = loadDatabase(oldPath);
  if (!db) return 2;
  try {
    db->ToFile(*db, newPath.c_str());
  } catch (const std::exception& e) {
    std::cerr << "velkcost: cannot write " << newPath << " ("
              << oneLine(e.what()) << ")\n";
    return 2;
  }
  return 0;
}

// Prints the value of `text` with the given bindings, or the error message.
int evaluate(const std::string& text, const std::vector<std::string>& args) {
  try {
    Formula formula(text);
    for (const std::string& binding : args) {
      const size_t eq = binding.find('=');
      if (eq == std::string::npos || eq == 0) {
        return usageError("not a binding (name=value): " + binding);
      }
      char* end = nullptr;
      const std::string value = binding.substr(eq + 1);
      const double number = std::strtod(value.c_str(), &end);
      if (value.empty() || *end != '\0') {
        return usageError("not a number: " + value);
      }
      formula.setVariable(binding.substr(0, eq), number);
    }
    std::cout << formula.eval() << "\n";
    return 0;
  } catch (const ParserException& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(keepLastMessage);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "-h" || args[0] == "--help")) {
    std::cout << kUsage;
    return 0;
  }
  const std::string command = args.empty() ? "cost" : args[0];
  if (!args.empty()) args.erase(args.begin());
  if (command == "eval") {
    if (args.empty()) return usageError("eval needs a formula");
    const std::string text = args[0];
    args.erase(args.begin());
    return evaluate(text, args);
  }

  bool csv = false;
  std::vector<std::string> operands;
  for (const std::string& arg : args) {
    if (arg == "--csv") {
      csv = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usageError("unknown option " + arg);
    } else {
      operands.push_back(arg);
    }
  }
  if (command == "--csv") {
    csv = true;
    if (!operands.empty()) return usageError("too many arguments");
    return cost("", csv);
  }
  if (command == "upgrade") {
    if (csv) return usageError("--csv belongs to cost");
    if (operands.size() != 2) return usageError("upgrade needs OLD and NEW");
    return upgrade(operands[0], operands[1]);
  }
  if (command != "cost" && command != "check" && command != "dump" &&
      command != "save") {
    return usageError("unknown command " + command);
  }
  if (csv && command != "cost") {
    return usageError("--csv belongs to cost");
  }
  if (operands.size() > 1) {
    return usageError("too many arguments for " + command);
  }
  const std::string path = operands.empty() ? "" : operands[0];
  if (command == "cost") return cost(path, csv);
  if (command == "check") return check(path);
  if (command == "dump") return dump(path);
  if (path.empty()) return usageError("save needs a file name");
  return save(path);
}
