// Filled in as the application shell grows.
