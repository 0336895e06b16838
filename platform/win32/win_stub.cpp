// The Windows build takes these services from the platform itself.
