// The shared library of the host services: its own code is only the version a loader can ask for;
// everything else comes whole from the static libraries of src/public and schema/.

//! The version of the host services, for a host checking what it loaded.
extern "C" const char* PK_PublicVersion() { return MFG_VERSION; }
