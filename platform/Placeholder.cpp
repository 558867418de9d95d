// Filled in as the platform stand-ins grow.
