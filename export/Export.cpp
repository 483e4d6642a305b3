// Results export: filled in by the export work.
namespace brisk {
}
