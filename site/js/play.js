// The player's page: the game and nothing else.

import { GamePage } from "./game.js";

new GamePage(document).start();
