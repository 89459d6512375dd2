#include "simulator/world/namepools.h"

namespace sim::pools {

const std::array<FirstName, 48> kFirstNames = {{
    {"José", "male"},      {"Zoë", "female"},    {"Björn", "male"},    {"François", "male"},
    {"Łukasz", "male"},    {"Søren", "male"},    {"Renée", "female"},  {"Ana", "female"},
    {"Chloé", "female"},   {"Jürgen", "male"},   {"Emma", "female"},   {"Liam", "male"},
    {"Olivia", "female"},  {"Noah", "male"},     {"Mia", "female"},    {"Lucas", "male"},
    {"Sofía", "female"},   {"Mateo", "male"},    {"Amélie", "female"}, {"Ingrid", "female"},
    {"Kenji", "male"},     {"Aiko", "female"},   {"Priya", "female"},  {"Arjun", "male"},
    {"Fatima", "female"},  {"Omar", "male"},     {"Dmitri", "male"},   {"Anastasia", "female"},
    {"Siobhán", "female"}, {"Seán", "male"},     {"Chen", "male"},     {"Grace", "female"},
    {"Daniel", "male"},    {"Sarah", "female"},  {"Michael", "male"},  {"Laura", "female"},
    {"David", "male"},     {"Hannah", "female"}, {"Tomás", "male"},    {"Inés", "female"},
    {"Matías", "male"},    {"Zoltán", "male"},   {"Réka", "female"},   {"Ólafur", "male"},
    {"Þóra", "female"},    {"Elif", "female"},   {"Çağan", "male"},    {"Ayşe", "female"},
}};

const std::array<std::string_view, 40> kLastNames = {
    "Müller",  "García", "Nguyễn",   "Øvergaard", "Kowalski",   "Smith",     "Johnson",
    "Brown",   "Dubois", "Rossi",    "Silva",     "Ødegaard",   "Łęcki",     "Šimek",
    "Ibáñez",  "Kim",    "Tanaka",   "Sato",      "Patel",      "Singh",     "O'Brien",
    "MacLeod", "Ivanov", "Petrović", "Andersson", "Lindqvist",  "Fernández", "Costa",
    "Yılmaz",  "Novák",  "Horváth",  "Virtanen",  "Jónsdóttir", "Schmidt",   "Weber",
    "Taylor",  "Wilson", "Martin",   "Lefèvre",   "Żak",
};

const std::array<Town, 16> kTowns = {{
    {"Springfield", "Illinois", "United States", "62701"},
    {"Portland", "Oregon", "United States", "97201"},
    {"Austin", "Texas", "United States", "73301"},
    {"Boston", "Massachusetts", "United States", "02108"},
    {"San José", "California", "United States", "95110"},
    {"Madison", "Wisconsin", "United States", "53703"},
    {"Seattle", "Washington", "United States", "98101"},
    {"München", "Bayern", "Germany", "80331"},
    {"Montréal", "Quebec", "Canada", "H2Y 1C6"},
    {"São Paulo", "São Paulo", "Brazil", "01000-000"},
    {"Kraków", "Małopolska", "Poland", "30-001"},
    {"Malmö", "Skåne", "Sweden", "211 20"},
    {"Zürich", "Zürich", "Switzerland", "8001"},
    {"Lyon", "Rhône-Alpes", "France", "69001"},
    {"Osaka", "Osaka", "Japan", "530-0001"},
    {"Reykjavík", "", "Iceland", "101"},
}};

const std::array<std::string_view, 6> kRelationships = {
    "Single",  "In a Relationship", "Engaged",
    "Married", "It's Complicated",  "In an Open Relationship",
};

const std::array<std::string_view, 8> kPolitical = {
    "Very Liberal",      "Liberal",   "Moderate",    "Conservative",
    "Very Conservative", "Apathetic", "Libertarian", "Other",
};

const std::array<std::string_view, 8> kReligions = {
    "Christian", "Buddhist", "Agnostic", "Atheist", "Jewish", "Muslim", "Hindu", "Pastafarian",
};

const std::array<Network, 10> kNetworks = {{
    {"Springfield, IL", "region"},
    {"Stanford", "college"},
    {"MIT", "college"},
    {"Universität Wien", "college"},
    {"Acme Corporation", "work"},
    {"Lincoln High School", "high school"},
    {"Globex", "work"},
    {"San Francisco, CA", "region"},
    {"Université de Montréal", "college"},
    {"Kraków, Poland", "region"},
}};

const std::array<std::string_view, 6> kAffiliationStatuses = {
    "Undergrad", "Alumnus/Alumna", "Grad Student", "Staff", "Full-time", "",
};

const std::array<std::string_view, 20> kStatusMessages = {
    "is at work",
    "is reading a good book",
    "is baking crêpes",
    "is thinking about the weekend",
    "can't believe it's Monday again",
    "is listening to Sigur Rós",
    "is watching the game",
    "is learning Español",
    "loves the new café downstairs",
    "is stuck in traffic",
    "needs coffee",
    "is home",
    "is writing code & drinking tea",
    "is <b>not</b> amused",
    "says \"hello\" to everyone",
    "is 100% done with exams",
    "is out of clever ideas",
    "is on vacation in Zürich",
    "is training for a marathon",
    "is  taking  it  slow",
};

const std::array<std::string_view, 8> kAboutMe = {
    "I like long walks & short meetings.",
    "Coffee first.",
    "Amateur astronomer.",
    "Ich koche gern.",
    "Dog person. Cat tolerant.",
    "Always learning <something> new.",
    "Born in a small town.",
    "Photographer on weekends.",
};

const std::array<std::string_view, 8> kActivities = {
    "hiking, climbing", "photography", "chess & go", "running",
    "salsa dancing",    "gardening",   "sailing",    "skiing in Åre",
};

const std::array<std::string_view, 8> kBooks = {
    "Dune; The Hobbit",     "Cien años de soledad", "Der Steppenwolf",     "1984",
    "The Name of the Rose", "Pride and Prejudice",  "Gödel, Escher, Bach", "Moby-Dick",
};

const std::array<std::string_view, 8> kInterests = {
    "open source, cooking", "history",         "jazz", "robotics", "languages", "travel",
    "board games",          "urban sketching",
};

const std::array<std::string_view, 8> kMovies = {
    "Amélie",          "Casablanca", "Spirited Away", "The Matrix",
    "Cinema Paradiso", "Alien",      "Das Boot",      "Star Wars",
};

const std::array<std::string_view, 8> kMusic = {
    "Björk, Radiohead", "Miles Davis", "The Beatles", "Daft Punk",
    "Caetano Veloso",   "Mozart",      "Nirvana",     "Édith Piaf",
};

const std::array<std::string_view, 8> kQuotes = {
    "\"Stay hungry, stay foolish.\"", "Carpe diem",       "To be or not to be", "Less is more",
    "Keep calm & carry on",           "Veni, vidi, vici", "Knowledge is power", "Think different",
};

const std::array<std::string_view, 8> kTv = {
    "The Office", "Lost",     "Doctor Who",           "The Simpsons",
    "Friends",    "Top Gear", "Battlestar Galactica", "Heroes",
};

const std::array<std::string_view, 8> kSchools = {
    "Stanford University",
    "Universidad de Buenos Aires",
    "Technische Universität München",
    "MIT",
    "University of Toronto",
    "Uniwersytet Jagielloński",
    "Kyoto University",
    "University of Oslo",
};

const std::array<std::string_view, 8> kConcentrations = {
    "Computer Science", "Economía", "Physics", "History",
    "Mathematics",      "Biology",  "Design",  "Philosophy",
};

const std::array<std::string_view, 8> kCompanies = {
    "Acme Corporation",  "Globex",         "Initech", "Umbrella Café", "Stark Industries",
    "Wayne Enterprises", "Müller & Söhne", "Soylent",
};

const std::array<std::string_view, 8> kPositions = {
    "Engineer", "Designer", "Manager", "Barista", "Analyst", "Teacher", "Nurse", "Consultant",
};

const std::array<std::string_view, 12> kMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December",
};

}  // namespace sim::pools
