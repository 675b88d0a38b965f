#include "StarterRecipes.h"

QList<StarterCategory> starterCategories()
{
    // Stored as the program stores what is typed: trimmed, followed by one blank.
    auto r = [](const char *name, const char *author, const char *ingredients,
                const char *instructions) {
        return StarterRecipe{QString::fromUtf8(name) + QLatin1Char(' '),
                             QString::fromUtf8(author) + QLatin1Char(' '),
                             QString::fromUtf8(ingredients) + QLatin1Char(' '),
                             QString::fromUtf8(instructions) + QLatin1Char(' ')};
    };
    return {
        {QStringLiteral("Breads"),
         {r("Plain White Loaf", "Kitchenex",
            "500 g strong white flour\r\n7 g dried yeast\r\n10 g salt\r\n300 ml warm water\r\n"
            "2 tbsp olive oil",
            "Mix the flour, yeast and salt. Add the water and oil and knead for 10 minutes.\r\n"
            "Leave to rise for an hour, shape, rise again for 40 minutes.\r\n"
            "Bake at 220 °C for 30 minutes, until it sounds hollow when tapped."),
          r("Soda Bread", "Kitchenex",
            "500 g plain flour\r\n1 tsp bicarbonate of soda\r\n1 tsp salt\r\n400 ml buttermilk",
            "Mix the dry ingredients, stir in the buttermilk, shape a round and cut a deep "
            "cross.\r\nBake at 200 °C for 30 to 35 minutes.")}},
        {QStringLiteral("Desserts"),
         {r("Crème Brûlée", "Élodie Marchand",
            "500 ml double cream\r\n1 vanilla pod\r\n5 egg yolks\r\n100 g caster sugar, and more "
            "for the top",
            "Warm the cream with the vanilla. Whisk the yolks with the sugar and pour the cream "
            "over them.\r\nBake in ramekins in a water bath at 150 °C for 35 minutes; chill.\r\n"
            "Sprinkle with sugar and caramelise under a hot grill."),
          r("Apple Crumble", "Kitchenex",
            "6 apples\r\n50 g sugar\r\n150 g flour\r\n100 g butter\r\n75 g brown sugar",
            "Slice the apples into a dish with the sugar. Rub the butter into the flour, stir "
            "in the brown sugar and scatter over.\r\nBake at 190 °C for 40 minutes.")}},
        {QStringLiteral("Soups"),
         {r("Tomato Soup", "Kitchenex",
            "1 kg ripe tomatoes\r\n1 onion\r\n2 cloves garlic\r\n500 ml vegetable stock\r\n"
            "Salt and pepper",
            "Soften the onion and garlic, add the tomatoes and stock, simmer for 20 minutes.\r\n"
            "Blend until smooth and season."),
          r("Борщ (Borscht)", "Olena Kovalenko",
            "3 beetroots\r\n1 carrot\r\n1 onion\r\n2 potatoes\r\n¼ white cabbage\r\n"
            "1.5 l beef stock\r\nSour cream and dill",
            "Cook the potatoes in the stock. Fry the onion, carrot and grated beetroot, add "
            "them with the cabbage.\r\nSimmer for 15 minutes; serve with sour cream and dill."),
          r("Miso Soup (味噌汁)", "Kitchenex",
            "1 l dashi\r\n3 tbsp miso\r\n150 g silken tofu\r\n2 spring onions\r\nWakame",
            "Heat the dashi, dissolve the miso in a ladle of it and stir back in.\r\n"
            "Add the tofu and wakame, warm through without boiling, top with spring onion.")}},
        {QStringLiteral("zzzNothing"), {}},
    };
}
