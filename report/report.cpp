// placeholder until the report lands
