// Placeholder until the host lands; delete this file then.
namespace velmora::host {}
