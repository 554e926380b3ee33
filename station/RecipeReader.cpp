#include "RecipeReader.h"

#include "EepromDataFile.h"
#include "PropertyValues.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <toml++/toml.h>

#include <algorithm>
#include <string_view>

namespace RecipeReader {
namespace {

QString text(std::string_view view)
{
    return QString::fromUtf8(view.data(), qsizetype(view.size()));
}

// The keys each table of a recipe may hold.
const QStringList kTopKeys{"name", "module", "eeprom", "coefficients", "settings", "check"};
const QStringList kModuleKeys{"version"};
const QStringList kEepromKeys{"image", "keep"};
const QStringList kCoefficientKeys{"x", "y"};
const QStringList kCheckKeys{"name", "read", "samples", "min", "max", "max_spread"};
const QStringList kChannels{"temperature", "x", "y"};

class Reader {
public:
    Reader(const QString& path, const MemberCatalog& catalog, const Conversion& convert)
        : m_catalog(catalog), m_convert(convert)
    {
        m_recipe.path = QFileInfo(path).absoluteFilePath();
        m_folder = QFileInfo(path).absoluteDir();
    }

    Recipe run()
    {
        const std::optional<QByteArray> content = load();
        if (!content)
            throw RecipeError(m_problems);
        m_recipe.sha256 = QCryptographicHash::hash(*content, QCryptographicHash::Sha256).toHex();
        try {
            const toml::table root =
                toml::parse(std::string_view(content->constData(), size_t(content->size())),
                            m_recipe.path.toStdString());
            readRoot(root);
        } catch (const toml::parse_error& error) {
            problem(int(error.source().begin.line), text(error.description()));
        }
        if (!m_found.isEmpty())
            throw RecipeError(problems());
        return m_recipe;
    }

private:
    std::optional<QByteArray> load()
    {
        QFile file(m_recipe.path);
        const QFileInfo info(file);
        if (!info.isFile() || info.size() > kMaxBytes || !file.open(QIODevice::ReadOnly)) {
            m_problems << QStringLiteral("%1: cannot read the recipe%2")
                              .arg(m_recipe.path,
                                   info.isFile() && info.size() > kMaxBytes
                                       ? QStringLiteral(" (larger than %1 bytes)").arg(kMaxBytes)
                                       : QString());
            return std::nullopt;
        }
        return file.read(kMaxBytes + 1);
    }

    void problem(int line, const QString& what) { m_found.append({std::max(line, 1), what}); }

    // The problems in the order of their lines.
    QStringList problems() const
    {
        QVector<std::pair<int, QString>> found = m_found;
        std::stable_sort(found.begin(), found.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        QStringList lines;
        for (const auto& [line, what] : found)
            lines << QStringLiteral("%1:%2: %3").arg(m_recipe.path).arg(line).arg(what);
        return lines;
    }
    static int lineOf(const toml::node& node) { return int(node.source().begin.line); }

    // Reports the keys of table not in known, and whether all were known.
    void unknownKeys(const toml::table& table, const QStringList& known, const QString& where)
    {
        for (const auto& [key, node] : table)
            if (!known.contains(text(key.str())))
                problem(int(key.source().begin.line),
                        QStringLiteral("unknown key %1%2 (known: %3)")
                            .arg(text(key.str()), where, known.join(QStringLiteral(", "))));
    }

    const toml::table* section(const toml::table& root, const char* name)
    {
        const toml::node* node = root.get(name);
        if (node && !node->is_table()) {
            problem(lineOf(*node), QStringLiteral("%1 must be a table ([%1])").arg(name));
            return nullptr;
        }
        return node ? node->as_table() : nullptr;
    }

    // The key's node; a missing key that is required is a problem.
    const toml::node* entry(const toml::table& table, const char* key, bool required,
                            int lineIfMissing)
    {
        const toml::node* node = table.get(key);
        if (!node && required)
            problem(lineIfMissing, QStringLiteral("%1 is missing").arg(key));
        return node;
    }

    std::optional<QString> string(const toml::table& table, const char* key, bool required,
                                  int lineIfMissing)
    {
        const toml::node* node = entry(table, key, required, lineIfMissing);
        if (!node)
            return std::nullopt;
        if (!node->is_string() || node->as_string()->get().empty()) {
            problem(lineOf(*node), QStringLiteral("%1 must be a text that is not empty").arg(key));
            return std::nullopt;
        }
        return text(node->as_string()->get());
    }

    std::optional<double> number(const toml::table& table, const char* key, bool required,
                                 int lineIfMissing)
    {
        const toml::node* node = entry(table, key, required, lineIfMissing);
        if (!node)
            return std::nullopt;
        if (const std::optional<double> value = node->value<double>();
            value && (node->is_integer() || node->is_floating_point()) && std::isfinite(*value))
            return value;
        problem(lineOf(*node), QStringLiteral("%1 must be a number").arg(key));
        return std::nullopt;
    }

    void readRoot(const toml::table& root)
    {
        unknownKeys(root, kTopKeys, QString());
        m_recipe.name =
            string(root, "name", false, 1).value_or(QFileInfo(m_recipe.path).baseName());
        if (const toml::table* module = section(root, "module"))
            readModule(*module);
        else if (!root.get("module"))
            problem(1, QStringLiteral("the [module] section is missing"));
        if (const toml::table* eeprom = section(root, "eeprom"))
            readEeprom(*eeprom);
        if (const toml::table* coefficients = section(root, "coefficients"))
            readCoefficients(*coefficients);
        if (const toml::table* settings = section(root, "settings"))
            readSettings(*settings);
        if (const toml::node* checks = root.get("check"))
            readChecks(*checks);
    }

    void readModule(const toml::table& module)
    {
        unknownKeys(module, kModuleKeys, QStringLiteral(" in [module]"));
        m_recipe.versionGlob = string(module, "version", true, lineOf(module)).value_or(QString());
    }

    void readEeprom(const toml::table& eeprom)
    {
        unknownKeys(eeprom, kEepromKeys, QStringLiteral(" in [eeprom]"));
        if (const std::optional<QString> image = string(eeprom, "image", false, 0))
            readImage(*image, lineOf(*eeprom.get("image")));
        if (const toml::node* keep = eeprom.get("keep"))
            readKeep(*keep);
    }

    void readImage(const QString& name, int line)
    {
        const QString path = m_folder.absoluteFilePath(name);
        QStringList lines;
        QVector<EepromDataFile::Cell> cells;
        QString error;
        if (!EepromDataFile::ReadLines(path, &lines, &error) ||
            !EepromDataFile::ParseCells(lines, &cells, &error))
            return problem(line, QStringLiteral("image %1: %2").arg(name, error));
        for (const EepromDataFile::Cell& cell : cells)
            m_recipe.image.insert(cell.address, cell.value);
    }

    void readKeep(const toml::node& keep)
    {
        const toml::array* ranges = keep.as_array();
        if (!ranges)
            return problem(lineOf(keep), QStringLiteral("keep must be a list of cell ranges "
                                                        "(\"13-124\" or \"189\")"));
        static const QRegularExpression shape(QStringLiteral("^(\\d{1,3})(?:-(\\d{1,3}))?$"));
        for (const toml::node& item : *ranges) {
            const QString range = item.is_string() ? text(item.as_string()->get()) : QString();
            const QRegularExpressionMatch match = shape.match(range.trimmed());
            const int first = match.captured(1).toInt();
            const int last = match.captured(2).isEmpty() ? first : match.captured(2).toInt();
            if (!match.hasMatch() || last > 255 || first > last) {
                problem(lineOf(item), QStringLiteral("keep range %1 is not FIRST-LAST with cells "
                                                     "from 0 to 255, FIRST not above LAST")
                                          .arg(item.is_string() ? '"' + range + '"'
                                                                : QStringLiteral("(not a text)")));
                continue;
            }
            for (const CellRange& other : std::as_const(m_recipe.keep))
                if (first <= other.last && other.first <= last)
                    problem(lineOf(item), QStringLiteral("keep range %1-%2 overlaps %3-%4")
                                              .arg(first)
                                              .arg(last)
                                              .arg(other.first)
                                              .arg(other.last));
            m_recipe.keep.append({first, last});
        }
    }

    void readCoefficients(const toml::table& coefficients)
    {
        unknownKeys(coefficients, kCoefficientKeys, QStringLiteral(" in [coefficients]"));
        for (const QString& axis : kCoefficientKeys)
            if (const std::optional<QString> pattern =
                    string(coefficients, axis.toLatin1().constData(), false, 0))
                m_recipe.coefficients.append({axis, m_folder.absoluteFilePath(*pattern)});
    }

    // The settings in the order the file gives them (a table's keys come
    // sorted by name).
    static QVector<std::pair<const toml::key*, const toml::node*>>
    inFileOrder(const toml::table& table)
    {
        QVector<std::pair<const toml::key*, const toml::node*>> entries;
        for (const auto& [key, node] : table)
            entries.append({&key, &node});
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            const toml::source_position& left = a.first->source().begin;
            const toml::source_position& right = b.first->source().begin;
            return std::pair(left.line, left.column) < std::pair(right.line, right.column);
        });
        return entries;
    }

    void readSettings(const toml::table& settings)
    {
        for (const auto& [key, node] : inFileOrder(settings)) {
            const int line = int(key->source().begin.line);
            const QString name = text(key->str());
            const component::TypeLibMember* member =
                m_catalog.byName(name, MemberCatalog::Kind::Property);
            if (!member) {
                problem(line, QStringLiteral("unknown property %1 (known: %2)")
                                  .arg(name, m_catalog.names(MemberCatalog::Kind::Property)
                                                 .join(QStringLiteral(", "))));
                continue;
            }
            if (member->readOnly) {
                problem(line, QStringLiteral("property %1 cannot be set").arg(member->name));
                continue;
            }
            const std::optional<QString> value = settingText(*node);
            if (!value) {
                problem(line, QStringLiteral("%1: the value must be a number, a text or "
                                             "true/false")
                                  .arg(member->name));
                continue;
            }
            component::Variant converted;
            const QString why = m_convert(member->name, *value, member->type, &converted);
            const std::optional<QString> refusal =
                why.isEmpty() ? PropertyValues::refusal(member->dispid, converted) : std::nullopt;
            if (!why.isEmpty())
                problem(line, why);
            else if (refusal)
                problem(line, QStringLiteral("%1: %2").arg(member->name, *refusal));
            else
                m_recipe.settings.append({member->name, member->dispid, converted});
        }
    }

    static std::optional<QString> settingText(const toml::node& node)
    {
        if (const auto* value = node.as_integer())
            return QString::number(value->get());
        if (const auto* value = node.as_boolean())
            return value->get() ? QStringLiteral("true") : QStringLiteral("false");
        if (const auto* value = node.as_floating_point())
            return QString::number(value->get(), 'g', 17);
        if (const auto* value = node.as_string())
            return text(value->get());
        return std::nullopt;
    }

    void readChecks(const toml::node& node)
    {
        const toml::array* checks = node.as_array();
        if (!checks || !checks->is_array_of_tables())
            return problem(lineOf(node), QStringLiteral("check must be given as [[check]] tables"));
        for (const toml::node& item : *checks)
            readCheck(*item.as_table());
    }

    void readCheck(const toml::table& table)
    {
        const int line = lineOf(table);
        unknownKeys(table, kCheckKeys, QStringLiteral(" in [[check]]"));
        RecipeCheck check;
        check.name = string(table, "name", true, line).value_or(QString());
        for (const RecipeCheck& other : std::as_const(m_recipe.checks))
            if (!check.name.isEmpty() && other.name == check.name)
                problem(line, QStringLiteral("a second check named %1").arg(check.name));
        check.read = string(table, "read", true, line).value_or(QString());
        if (!check.read.isEmpty() && !kChannels.contains(check.read)) {
            if (const auto* member = m_catalog.byName(check.read, MemberCatalog::Kind::Property)) {
                check.read = member->name;
                check.property = member->dispid;
            } else {
                problem(lineOf(*table.get("read")),
                        QStringLiteral("read %1 is neither temperature, x, y nor a property")
                            .arg(check.read));
            }
        }
        const std::optional<double> samples = number(table, "samples", false, line);
        if (samples && (*samples != std::floor(*samples) || *samples < 1 || *samples > kMaxSamples))
            problem(lineOf(*table.get("samples")),
                    QStringLiteral("samples must be a whole number from 1 to %1").arg(kMaxSamples));
        check.samples = int(samples.value_or(1));
        const std::optional<double> min = number(table, "min", true, line);
        const std::optional<double> max = number(table, "max", true, line);
        if (min && max && *min > *max)
            problem(lineOf(*table.get("max")),
                    QStringLiteral("max %1 is below min %2").arg(*max).arg(*min));
        check.maxSpread = number(table, "max_spread", false, line);
        if (check.maxSpread && *check.maxSpread < 0)
            problem(lineOf(*table.get("max_spread")), QStringLiteral("max_spread is below 0"));
        check.min = min.value_or(0);
        check.max = max.value_or(0);
        m_recipe.checks.append(check);
    }

    const MemberCatalog& m_catalog;
    const Conversion& m_convert;
    Recipe m_recipe;
    QDir m_folder;
    QStringList m_problems; // about the file as a whole
    QVector<std::pair<int, QString>> m_found;
};

} // namespace

Recipe read(const QString& path, const MemberCatalog& catalog, const Conversion& convert)
{
    return Reader(path, catalog, convert).run();
}

} // namespace RecipeReader
